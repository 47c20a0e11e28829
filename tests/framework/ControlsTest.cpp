#include <QTest>

#include "CComboBox.h"
#include "CIPAddressCtrl.h"
#include "CListCtrl.h"
#include "Cp1252.h"
#include "FrameworkTestSupport.h"
#include "IpAddressEdit.h"
#include "ListViewControl.h"
#include "Notification.h"
#include "SimpleComboBox.h"
#include "StringTable.h"

namespace orvane::test {
namespace {

// The three wrappers, bound to the sample dialog by its exchange list.
class Controls : public DialogFixture {
 protected:
  Controls() : DialogFixture(650) {
    dialog.exchange = [this](DataExchange& dx) {
      dx.control(kList, combo);
      dx.control(kAddress, address);
      dx.control(kRows, rows);
    };
  }
  CComboBox combo;
  CIPAddressCtrl address;
  CListCtrl rows;
};

TEST_F(Controls, TheListViewHoldsRowsOfCellsOfAnyLength) {
  int doubleClicks = 0;
  dialog.onNotify(kRows, notify::kDoubleClick, [&] { ++doubleClicks; });
  whileOpen([&] {
    EXPECT_EQ(rows.insertColumn(0, "ORD", CListCtrl::kAlignLeft, 45), 0);
    EXPECT_EQ(rows.insertColumn(1, "TMS", CListCtrl::kAlignRight, 45), 1);
    EXPECT_EQ(rows.insertColumn(1, "TEXTO", CListCtrl::kAlignRight, 420), 1);
    EXPECT_EQ(rows.widget()->headerItem()->text(2), "TMS");
    EXPECT_EQ(rows.insertItem(0, "1"), 0);
    EXPECT_EQ(rows.insertItem(50, "2"), 1) << "past the end appends";
    const std::string longText(1000, 'z');
    EXPECT_TRUE(rows.setItemText(1, 1, longText));
    EXPECT_EQ(rows.getItemText(1, 1), longText);
    EXPECT_EQ(rows.getNextItem(-1, CListCtrl::kNextSelected), -1);
    rows.setItemSelected(1, true);
    EXPECT_EQ(rows.getNextItem(-1, CListCtrl::kNextSelected), 1);
    EXPECT_EQ(rows.getNextItem(1, CListCtrl::kNextSelected), -1);
    EXPECT_TRUE(rows.deleteItem(1));
    EXPECT_EQ(rows.getItemCount(), 1);
    EXPECT_EQ(rows.getSelectedCount(), 0) << "deleting the selected row selects no other";
    QTest::mouseDClick(rows.widget()->viewport(), Qt::LeftButton);
  });
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(Controls, TheComboSelectsInsideItsListAndClearsOutsideIt) {
  int changes = 0;
  dialog.onCommand(kList, notify::kSelectionChanged, [&] { ++changes; });
  whileOpen([&] {
    combo.addString(pt("Emissão Mono."));
    combo.addString(pt("Emissão Estereo."));
    EXPECT_EQ(combo.setCurSel(1), 1);
    EXPECT_EQ(combo.widget()->edit()->text(), QString::fromUtf8("Emissão Estereo."));
    EXPECT_EQ(combo.setCurSel(2), -1);
    EXPECT_EQ(combo.getCurSel(), -1);
    combo.setCurSel(0);
    combo.setCurSel(-1);
    EXPECT_EQ(combo.getCurSel(), -1);
    EXPECT_EQ(changes, 0) << "selecting by program is not the operator's change";
    QListWidget* list = combo.widget()->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(combo.getCurSel(), 1);
  });
  EXPECT_EQ(changes, 1);
}

TEST_F(Controls, TheAddressIsOneValueWithTheLeftFieldHighestAndBlankFieldsZero) {
  whileOpen([&] {
    address.setAddress(0x7F000001);
    EXPECT_EQ(address.widget()->field(0)->text(), "127");
    address.widget()->field(0)->setSystemText("");
    std::uint32_t value = 0;
    EXPECT_EQ(address.getAddress(value), 3);
    EXPECT_EQ(value, 1u);
  });
}

TEST_F(Controls, ControlsAreFoundByIdentifierNamedForScreenReadersAndEnabledById) {
  whileOpen([&] {
    EXPECT_EQ(dialog.window()->findChild<QWidget*>("control1013"), edit(kText1));
    EXPECT_EQ(edit(kText1)->accessibleName(), "RTXT1");  // the label on its left
    EXPECT_EQ(dialog.controlWidget(kAction)->accessibleName(), "Conectar");
    dialog.enableControl(kAction, false);
    EXPECT_FALSE(dialog.isControlEnabled(kAction));
  });
  EXPECT_EQ(StringTable::load(strings::kAboutMenuItem), "&About Orvane...");
  EXPECT_EQ(StringTable::load(4), "");
}

}  // namespace
}  // namespace orvane::test
