#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "CComboBox.h"
#include "CWinApp.h"
#include "Cp1252.h"
#include "FrameworkTestSupport.h"
#include "Notification.h"

namespace orvane::test {
namespace {

class ModalRun : public DialogFixture {
 protected:
  ModalRun() : DialogFixture(610) {}
};

TEST_F(ModalRun, TheOwnerIsDisabledForTheRunAndGetsItsActivationBack) {
  ScriptedDialog missing(4711);
  EXPECT_EQ(missing.doModal(), -1) << "a missing template";

  ScopedTemplate registered(sampleTemplate(611));
  CWinApp app;
  ScriptedDialog owned(611);
  app.setMainWindow(&dialog);
  std::vector<bool> ownerEnabled;
  owned.afterInit = [&] { ownerEnabled.push_back(dialog.window()->isEnabled()); };
  whileOpen([&] {
    runModal(owned, [&] { owned.endDialog(2); });
    ownerEnabled.push_back(dialog.window()->isEnabled());
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.window()));
  });
  EXPECT_EQ(ownerEnabled, (std::vector<bool>{false, true}));
}

TEST_F(ModalRun, InitialStringsFillTheListsBeforeTheFirstTransferAndABadOneFailsTheRun) {
  DialogTemplate lists = sampleTemplate(620);
  lists.initialStrings = {{kList, pt("Não definido")}, {kList, "Noticias"}};
  ScopedTemplate good(lists);
  ScriptedDialog filled(620);
  CComboBox combo;
  int entriesAtFirstTransfer = -1;
  filled.exchange = [&](DataExchange& dx) {
    dx.control(kList, combo);
    if (entriesAtFirstTransfer < 0) entriesAtFirstTransfer = combo.getCount();
  };
  runModal(filled, [&] { filled.endDialog(0); });
  EXPECT_EQ(entriesAtFirstTransfer, 2);

  lists.id = 621;
  lists.initialStrings.push_back({kText1, "an edit has no list"});
  ScopedTemplate bad(lists);
  ScriptedDialog failing(621);
  EXPECT_EQ(runModal(failing, [] {}), -1);
}

TEST_F(ModalRun, EndTakesEffectOnceTheHandlerHasReturned) {
  bool ranOn = false;
  dialog.onCommand(kAction, notify::kClicked, [&] {
    dialog.endDialog(7);
    dialog.messageBox("still running");
    ranOn = true;
  });
  const int result =
      runModal(dialog, [&] { qobject_cast<QPushButton*>(dialog.controlWidget(kAction))->click(); });
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(ranOn);
}

TEST_F(ModalRun, TheCloseBoxCancelsAndEnterPressesTheFocusedPushButton) {
  EXPECT_EQ(runModal(dialog, [&] { dialog.window()->close(); }), 2);
  dialog.onCommand(kAction, notify::kClicked, [&] { dialog.endDialog(5); });
  const int result = runModal(dialog, [&] {
    dialog.controlWidget(kAction)->setFocus();
    QTest::keyClick(focus(), Qt::Key_Return);
  });
  EXPECT_EQ(result, 5) << "not OK, the default button";
}

// The console's own arrangement: Cancel is the default button, hidden and disabled.
class ConsoleKeys : public DialogFixture {
 protected:
  ConsoleKeys() : DialogFixture(613, true) {}
};

TEST_F(ConsoleKeys, EscapeCloseAndEnterOnlyBeepWhileTheirCancelTargetIsDisabled) {
  int handled = 0;
  for (const int id : {1, 2}) dialog.onCommand(id, notify::kClicked, [&] { ++handled; });
  whileOpen([&] {
    edit(kText1)->setFocus();
    QTest::keyClick(focus(), Qt::Key_Escape);
    QTest::keyClick(focus(), Qt::Key_Return);
    dialog.window()->close();
  });
  EXPECT_EQ(boxes.beeps, 3);
  EXPECT_EQ(handled, 0);
}

TEST_F(ConsoleKeys, LeavingAnEditIsReportedOnceEvenWhenItsHandlerOpensABox) {
  std::vector<int> lost;
  dialog.onCommand(kText1, notify::kEditLostFocus, [&] {
    lost.push_back(kText1);
    dialog.messageBox("Caracteres especiais");
  });
  dialog.onCommand(kText2, notify::kEditLostFocus, [&] { lost.push_back(kText2); });
  whileOpen([&] {
    edit(kText1)->setFocus();
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(focus(), edit(kText2));
  });
  EXPECT_EQ(lost, std::vector<int>{kText1}) << "the focus only passed through the second edit";
}

TEST_F(ConsoleKeys, DisablingTheFocusedControlDoesNotHandTheFocusOn) {
  whileOpen([&] {
    dialog.controlWidget(kFlag)->setFocus();
    dialog.enableControl(kFlag, false);
    // The next control is the combo box's field, which would later report losing a focus the
    // operator never gave it.
    EXPECT_EQ(QApplication::focusWidget(), dialog.window());
    EXPECT_FALSE(dialog.isControlEnabled(kFlag));
  });
}

}  // namespace
}  // namespace orvane::test
