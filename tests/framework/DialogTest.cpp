#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include "CWinApp.h"
#include "DemoDialog.h"
#include "MessageBoxes.h"
#include "Notification.h"
#include "StringTable.h"

namespace orvane::test {
namespace {

// The console's own buttons: Cancel is the default button, hidden and disabled.
TEST_F(DemoDialogTest, EscapeCloseAndEnterOnlyBeepWhileTheDefaultCancelIsDisabled) {
  DialogTemplateRegistry::add(DemoDialog::dialogTemplate(true));
  int cancels = 0;
  dialog.onCommand(2, notify::kClicked, [&] { ++cancels; });
  const int result = runModal(dialog, [&] {
    QTest::keyClick(focus(), Qt::Key_Escape);
    QTest::keyClick(focus(), Qt::Key_Return);
    dialog.window()->close();
    EXPECT_EQ(boxes.beeps, 3);
    dialog.controlWidget(1)->setFocus();
    QTest::keyClick(focus(), Qt::Key_Return);  // the focused push button, not the default
  });
  EXPECT_EQ(cancels, 0);
  EXPECT_EQ(result, 1);
}

// The console is the main window. A box it opens itself is its own, with the style as given;
// a framework box belongs to the innermost window, always under the application's title, with
// the exclamation where the style names no icon. Each box and dialog keeps its owner disabled.
TEST_F(DemoDialogTest, BoxesAndDialogsBelongToTheirWindowsAndKeepThemDisabled) {
  frameworkMessageBox(strings::kSocketsFailed);
  EXPECT_EQ(boxes.shown[0].text, "Windows sockets initialization failed.");
  EXPECT_EQ(boxes.shown[0].owner, nullptr) << "no main window yet";
  CWinApp app;
  app.setMainWindow(&dialog);
  StationSettings other;
  DemoDialog editor(other);
  const std::pair<unsigned, unsigned> styles[] = {
      {0, 0x30}, {4, 0x34}, {16, 16},  {36, 36},
      {64, 64},  {1, 0x31}, {3, 0x33}, {2, 2}};  // abort, retry and ignore: left alone
  whileOpen([&] {
    boxes.answers = {message::kAnswerNo};
    EXPECT_EQ(dialog.messageBox("Quer?", std::nullopt, message::kYesNoQuestion),
              message::kAnswerNo);
    dialog.messageBox("Mensagem recebida", std::string("Socket"));
    for (const auto& [given, used] : styles) {
      frameworkMessageBox("x", given);
      EXPECT_EQ(boxes.shown.back().style, used) << "style " << given;
      EXPECT_EQ(boxes.shown.back().title, "framework_tests") << "the executable's base name";
    }
    for (std::size_t i = 1; i < boxes.shown.size(); ++i) {
      EXPECT_EQ(boxes.shown[i].owner, dialog.window());
      EXPECT_FALSE(boxes.shown[i].ownerWindowEnabled);
    }
    runModal(editor, [&] {
      EXPECT_FALSE(dialog.window()->isEnabled());
      frameworkMessageBox("over the editor");
      EXPECT_EQ(boxes.shown.back().owner, editor.window());
      editor.endDialog(2);
    });
    EXPECT_TRUE(dialog.window()->isEnabled());
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.window()));
  });
  EXPECT_EQ(boxes.shown[1].title, "framework_tests") << "no title: the application's";
  EXPECT_EQ(boxes.shown[1].style, message::kYesNoQuestion);
  EXPECT_EQ(boxes.shown[2].title, "Socket");
  EXPECT_EQ(boxes.shown[2].style, message::kOk) << "no icon may be added";
}

// Server replies reach the operator in real boxes: markup in them must stay text.
TEST(RealMessageBox, ShowsUntrustedTextAsPlainTextAndAnswersWithTheButtonsNumber) {
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "<b>ENCODE</b> <img src=x>");
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(frameworkMessageBox("<b>ENCODE</b> <img src=x>", message::kYesNo), message::kAnswerNo);
}

// Five expiries before the loop gets to the first tick give one tick; a handler waiting in a
// box still gets the next ones; none outlives the window.
TEST_F(DemoDialogTest, TicksNeverPileUpYetReachAHandlerWaitingInABox) {
  constexpr int kTick = 101;
  std::vector<int> ticks;
  bool tickedDuringBox = false;
  dialog.onTimer([&](int id) {
    ticks.push_back(id);
    if (ticks.size() != 2) return;
    boxes.holdNextOpen([&] { return ticks.size() >= 4; });
    dialog.messageBox("Please enter a positive integer.");
    tickedDuringBox = ticks.size() >= 4;
  });
  whileOpen([&] {
    dialog.setTimer(kTick, 60000);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(dialog.window());
    for (int i = 0; i < 5; ++i) {
      QTimerEvent expired(timers.at(0).timerId);
      QCoreApplication::sendEvent(dialog.window(), &expired);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks.size(), 1u);
    dialog.setTimer(kTick, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tickedDuringBox; }, 8000));
  });
  EXPECT_EQ(ticks.front(), kTick);
  ticks.clear();
  QTest::qWait(20);
  EXPECT_TRUE(ticks.empty()) << "a tick outlived its window";
}

}  // namespace
}  // namespace orvane::test
