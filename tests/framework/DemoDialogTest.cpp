#include <QCheckBox>
#include <QListWidget>
#include <QTest>

#include "DemoDialog.h"
#include "FrameworkTestSupport.h"
#include "IpAddressEdit.h"
#include "SimpleComboBox.h"

namespace orvane::test {
namespace {

// The demo dialog driven from the keyboard and the mouse, as an operator would.
class DemoDialogTest : public ::testing::Test {
 protected:
  EditControl* edit(int id) { return qobject_cast<EditControl*>(dialog.controlWidget(id)); }
  QWidget* focus() { return dialog.window()->focusWidget(); }
  SimpleComboBox* types() {
    return qobject_cast<SimpleComboBox*>(dialog.controlWidget(DemoDialog::kType));
  }

  ScopedTemplate registered{DemoDialog::dialogTemplate()};
  StationSettings settings;
  DemoDialog dialog{settings};
  MessageBoxRecorder boxes;
};

TEST_F(DemoDialogTest, OpensShowingTheRecordWithTheFocusInTheFirstField) {
  runModal(dialog, [&] {
    EXPECT_EQ(edit(DemoDialog::kPort)->text(), "6969");
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.controlWidget(DemoDialog::kMusic))->isChecked());
    auto* address = qobject_cast<IpAddressEdit*>(dialog.controlWidget(DemoDialog::kAddress));
    EXPECT_EQ(address->address(), 0x7F000001u);
    EXPECT_EQ(types()->count(), 3);
    EXPECT_EQ(types()->currentSelection(), 1);
    EXPECT_EQ(focus(), edit(DemoDialog::kName));
    EXPECT_EQ(edit(DemoDialog::kName)->selectedText(), "Antena 1");
    dialog.endDialog(0);
  });
}

TEST_F(DemoDialogTest, EnterValidatesKeepsTheDialogOpenOnAnErrorAndSavesOnceCorrected) {
  const int result = runModal(dialog, [&] {
    QTest::keyClicks(focus(), "Radio Comercial");  // over the selected name
    EXPECT_EQ(edit(DemoDialog::kName)->text(), "Radio Co") << "the limit of 8 characters";
    QTest::keyClick(focus(), Qt::Key_Tab);
    QTest::keyClicks(focus(), "4x0000");
    EXPECT_EQ(edit(DemoDialog::kPort)->text(), "40000") << "the port takes digits only";
    QTest::keyClick(focus(), Qt::Key_Return);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter an integer between 1 and 32767.");
    EXPECT_EQ(focus(), edit(DemoDialog::kPort));
    EXPECT_EQ(edit(DemoDialog::kPort)->selectedText(), "40000");
    QTest::keyClicks(focus(), "7000");
    QTest::keyClick(focus(), Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(settings.name, "Radio Co");
  EXPECT_EQ(settings.port, 7000u);
}

TEST_F(DemoDialogTest, ChoosingATypeShowsItsCodeEvenWhileAnotherFieldIsWrong) {
  settings.port = 0;  // shown without complaint: writes check no ranges
  runModal(dialog, [&] {
    QListWidget* list = types()->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(edit(DemoDialog::kTypeCode)->text(), "02");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter an integer between 1 and 32767.");
    QTest::keyClick(focus(), Qt::Key_Escape);
  });
  EXPECT_EQ(settings.type, 1) << "Escape keeps the record";
}

}  // namespace
}  // namespace orvane::test
