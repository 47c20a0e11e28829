#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "CWinApp.h"
#include "FrameworkTestSupport.h"
#include "MessageBoxes.h"
#include "StringTable.h"

namespace orvane::test {
namespace {

class MessageBoxes : public DialogFixture {
 protected:
  MessageBoxes() : DialogFixture(630) {}
};

TEST_F(MessageBoxes, AWindowBoxIsOwnedByItsWindowAndUsesItsStyleAsGiven) {
  boxes.answers = {message::kAnswerNo};
  whileOpen([&] {
    EXPECT_EQ(dialog.messageBox("Quer?", std::nullopt, message::kYesNoQuestion),
              message::kAnswerNo);
    dialog.messageBox("Mensagem recebida", std::string("Socket"));
    EXPECT_EQ(boxes.shown.at(0).owner, dialog.window());
    EXPECT_TRUE(dialog.window()->isEnabled()) << "the owner is enabled again after the box";
  });
  EXPECT_EQ(boxes.shown[0].title, "framework_tests");
  EXPECT_EQ(boxes.shown[0].style, message::kYesNoQuestion);
  EXPECT_FALSE(boxes.shown[0].ownerWindowEnabled);
  EXPECT_EQ(boxes.shown[1].title, "Socket");
  EXPECT_EQ(boxes.shown[1].style, message::kOk) << "no icon may be added";
}

TEST_F(MessageBoxes, TheFrameworkBoxAddsTheExclamationWhereTheStyleNamesNoIcon) {
  const std::pair<unsigned, unsigned> table[] = {
      {0, 0x30}, {4, 0x34}, {16, 16},  {36, 36},
      {64, 64},  {1, 0x31}, {3, 0x33}, {2, 2}};  // abort, retry and ignore: left alone
  for (const auto& [given, used] : table) {
    frameworkMessageBox("x", given);
    EXPECT_EQ(boxes.shown.back().style, used) << "style " << given;
  }
}

TEST_F(MessageBoxes, TheFrameworkBoxBelongsToTheMainWindowsLastActivePopup) {
  frameworkMessageBox(strings::kSocketsFailed);
  EXPECT_EQ(boxes.shown.back().text, "Windows sockets initialization failed.");
  EXPECT_EQ(boxes.shown.back().owner, nullptr) << "no main window yet";

  ScopedTemplate second(sampleTemplate(631));
  CWinApp app;
  ScriptedDialog editor(631);
  app.setMainWindow(&dialog);
  whileOpen([&] {
    frameworkMessageBox("over the main window");
    EXPECT_EQ(boxes.shown.back().owner, dialog.window());
    EXPECT_FALSE(boxes.shown.back().ownerWindowEnabled);
    runModal(editor, [&] {
      frameworkMessageBox("over the editor");
      EXPECT_EQ(boxes.shown.back().owner, editor.window());
      editor.endDialog(0);
    });
  });
}

// The real box, answered by clicking one of its buttons from inside its own event loop.
TEST(RealMessageBox, ShowsUntrustedTextAsPlainTextAndAnswersWithTheButtonsNumber) {
  QMessageBox* seen = nullptr;
  QString text;
  const auto answerWith = [&](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&, button] {
      seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(seen, nullptr);
      text = seen->text();
      EXPECT_EQ(seen->textFormat(), Qt::PlainText);
      seen->button(button)->click();
    });
  };
  answerWith(QMessageBox::Ok);
  EXPECT_EQ(frameworkMessageBox("<b>ENCODE</b> <img src=x>"), message::kAnswerOk);
  EXPECT_EQ(text, "<b>ENCODE</b> <img src=x>");
  answerWith(QMessageBox::No);
  EXPECT_EQ(showMessageBox(nullptr, "?", "t", message::kYesNoQuestion), message::kAnswerNo);
}

}  // namespace
}  // namespace orvane::test
