#include <QApplication>
#include <QSignalSpy>

#include "CIPAddressCtrl.h"
#include "CListCtrl.h"
#include "Cp1252.h"
#include "DemoDialog.h"
#include "DialogUnits.h"
#include "IpAddressEdit.h"
#include "ListViewControl.h"
#include "SimpleComboBox.h"

namespace orvane::test {
namespace {

TEST(Controls, TheListViewKeepsEachRowsCellsUnderTheirColumns) {
  ListViewControl view;
  CListCtrl rows;
  ASSERT_TRUE(rows.attach(&view));
  EXPECT_EQ(rows.insertColumn(0, "ORD", CListCtrl::kAlignLeft, 45), 0);
  EXPECT_EQ(rows.insertColumn(1, "TMS", CListCtrl::kAlignRight, 45), 1);
  EXPECT_EQ(rows.insertItem(0, "1"), 0);
  EXPECT_EQ(rows.insertItem(50, "2"), 1) << "past the end appends";
  EXPECT_TRUE(rows.setItemText(1, 1, "10"));
  EXPECT_EQ(rows.insertColumn(1, "TEXTO", CListCtrl::kAlignLeft, 420), 1);
  EXPECT_EQ(rows.getItemText(1, 2), "10") << "cells move right with their column";
  rows.setItemSelected(1, true);
  EXPECT_EQ(rows.getNextItem(-1, CListCtrl::kNextSelected), 1);
  EXPECT_EQ(rows.getNextItem(1, CListCtrl::kNextSelected), -1);
  EXPECT_TRUE(rows.deleteItem(1));
  EXPECT_EQ(rows.getItemCount(), 1);
  EXPECT_EQ(rows.getSelectedCount(), 0) << "deleting the selected row selects no other";
}

// What the program selects or sets shows in the control and tells no one.
TEST(Controls, TheComboSelectsOnlyInsideItsListAndTheAddressIsOneValueLeftFieldHighest) {
  SimpleComboBox list;
  CComboBox combo;
  ASSERT_TRUE(combo.attach(&list));
  const QSignalSpy operatorChanges(&list, &SimpleComboBox::selectionChanged);
  combo.addString(pt("Emissão Mono."));
  combo.addString(pt("Emissão Estereo."));
  EXPECT_EQ(combo.setCurSel(1), 1);
  EXPECT_EQ(list.edit()->text(), QString::fromUtf8("Emissão Estereo."));
  EXPECT_EQ(combo.setCurSel(2), -1);
  EXPECT_EQ(combo.getCurSel(), -1);
  EXPECT_EQ(list.edit()->text(), "");
  EXPECT_EQ(operatorChanges.count(), 0);

  IpAddressEdit fields;
  CIPAddressCtrl address;
  ASSERT_TRUE(address.attach(&fields));
  address.setAddress(0x7F000001);
  EXPECT_EQ(fields.field(0)->text(), "127");
  fields.field(0)->setSystemText("");
  std::uint32_t value = 0;
  EXPECT_EQ(address.getAddress(value), 3) << "blank fields read as 0";
  EXPECT_EQ(value, 1u);
}

TEST_F(DemoDialogTest, ControlsArePlacedInDialogUnitsAndNamedForScreenReaders) {
  const DialogUnits units(6, 13);  // an 8-point sans-serif at 96 dots per inch
  EXPECT_EQ(units.toPixels({0, 0, 417, 239}), QRect(0, 0, 626, 388));  // halves round up
  EXPECT_EQ(units.toPixels({40, 105, 255, 12}), QRect(60, 171, 383, 20));
  whileOpen([&] {
    const DialogUnits used = DialogUnits::forFont(dialog.window()->font());
    EXPECT_EQ(dialog.window()->size(), QSize(used.toPixelsX(220), used.toPixelsY(120)));
    EXPECT_EQ(edit(DemoDialog::kName)->geometry(), used.toPixels({40, 5, 80, 12}));
    EXPECT_EQ(edit(DemoDialog::kName)->accessibleName(), "Nome");  // the label on its left
    // Handing the focus on would make the next control report losing a focus never given.
    dialog.controlWidget(DemoDialog::kMusic)->setFocus();
    dialog.enableControl(DemoDialog::kMusic, false);
    EXPECT_EQ(QApplication::focusWidget(), dialog.window());
  });
}

}  // namespace
}  // namespace orvane::test
