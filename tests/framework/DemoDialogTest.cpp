#include <QCheckBox>
#include <QListWidget>
#include <QTest>

#include "DemoDialog.h"
#include "Notification.h"
#include "SimpleComboBox.h"

namespace orvane::test {
namespace {

// The operator's way through the dialog, by keyboard and mouse.
TEST_F(DemoDialogTest, EnterSavesTheStationOnceEveryFieldPassesItsChecks) {
  settings.music = 3;  // no state of a check box
  const int result = runModal(dialog, [&] {
    auto* music = qobject_cast<QCheckBox*>(dialog.controlWidget(DemoDialog::kMusic));
    EXPECT_FALSE(music->isChecked());
    EXPECT_EQ(settings.music, 0);
    EXPECT_EQ(focus(), edit(DemoDialog::kName));
    EXPECT_EQ(edit(DemoDialog::kName)->selectedText(), "Antena 1");
    QTest::keyClicks(focus(), QString(65, 'x'));  // over the selected name
    EXPECT_EQ(edit(DemoDialog::kName)->text(), QString(64, 'x')) << "the limit of its check";
    QTest::keyClick(focus(), Qt::Key_Tab);
    QTest::keyClicks(focus(), "4x0000");
    EXPECT_EQ(edit(DemoDialog::kPort)->text(), "40000") << "the port takes digits only";
    QListWidget* list =
        qobject_cast<SimpleComboBox*>(dialog.controlWidget(DemoDialog::kType))->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(edit(DemoDialog::kTypeCode)->text(), "02") << "shown though the port is wrong";
    music->click();
    QTest::keyClick(focus(), Qt::Key_Return);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Please enter an integer between 1 and 32767.");
    EXPECT_EQ(focus(), edit(DemoDialog::kPort));
    EXPECT_EQ(edit(DemoDialog::kPort)->selectedText(), "40000");
    QTest::keyClicks(focus(), "7000");
    QTest::keyClick(focus(), Qt::Key_Return);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(settings.name, std::string(64, 'x'));
  EXPECT_EQ(settings.port, 7000u);
  EXPECT_EQ(settings.music, 1);
  EXPECT_EQ(settings.type, 2);
  EXPECT_EQ(settings.typeCode, "02");
}

// Only the program can put a name longer than its check into the edit.
TEST_F(DemoDialogTest, AnOverlongNameFailsAtItsEditStopsTheTransferAndRaisesNoNotifications) {
  settings.name = std::string(65, 'x');
  int notifications = 0;
  dialog.onCommand(DemoDialog::kName, notify::kEditChanged, [&] { ++notifications; });
  dialog.onCommand(DemoDialog::kPort, notify::kEditLostFocus, [&] { ++notifications; });
  whileOpen([&] {
    edit(DemoDialog::kPort)->setSystemText("7000");
    edit(DemoDialog::kPort)->setFocus();
    EXPECT_FALSE(dialog.updateData(true));  // its failure takes the focus from the port
    QCoreApplication::processEvents();
    EXPECT_EQ(notifications, 0) << "dropped while a transfer wrote the name or moved the focus";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter no more than 64 characters.");
    EXPECT_EQ(settings.name, std::string(65, 'x'));
    EXPECT_EQ(settings.port, 6969u) << "a step after the failing one ran";
    EXPECT_EQ(focus(), edit(DemoDialog::kName));
    EXPECT_EQ(edit(DemoDialog::kName)->selectedText().size(), 65);
    dialog.updateData(false);
    EXPECT_EQ(edit(DemoDialog::kName)->selectedText().size(), 65) << "an unchanged text rewritten";
    QTest::keyClick(focus(), Qt::Key_Backspace);
    EXPECT_EQ(notifications, 1) << "the operator's own change is reported";
  });
}

TEST_F(DemoDialogTest, AMissingTemplateOrControlEndsTheRunWithMinusOne) {
  EXPECT_EQ(CDialog(4711).doModal(), -1);
  DialogTemplate withoutPort = DemoDialog::dialogTemplate();
  std::erase_if(withoutPort.controls, [](const auto& c) { return c.id == DemoDialog::kPort; });
  DialogTemplateRegistry::add(withoutPort);
  EXPECT_EQ(runModal(dialog, [] {}), -1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "An unsupported operation was attempted.");
}

}  // namespace
}  // namespace orvane::test
