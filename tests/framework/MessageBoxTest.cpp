// The real message boxes, as an operator sees and answers them on the test platform's screen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "ConsoleMessages.h"
#include "Cp1252.h"
#include "Cp1252Text.h"
#include "MessageBoxes.h"
#include "MessageStyle.h"
#include "ToolkitTranslations.h"

namespace orvane::test {
namespace {

struct Seen {
  std::string buttons;  // their texts, "|" between them
  int lines = 0;        // as laid out on the screen
  bool scrolls = false;
  bool whollyOnScreen = false;
  bool titleFits = false;
  bool icon = false;
  std::string copied;  // Ctrl+A and Ctrl+C in the text
  int answer = 0;
};

// Shows a box as the console does, looks at it, copies its text and answers it: with Escape,
// which a Yes/No box refuses, and then with the last of its buttons (No).
Seen show(const ConsoleMessage& message) {
  Seen seen;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    look.stop();
    const auto buttons = box->findChildren<QAbstractButton*>();
    auto* text = box->findChild<QPlainTextEdit*>();
    if (text == nullptr) {
      ADD_FAILURE() << "no text to select in the box";
      return box->done(0);
    }
    const QRect screen = box->screen()->availableGeometry();
    seen.whollyOnScreen = screen.contains(box->frameGeometry());
    for (const QAbstractButton* button : buttons) {
      seen.buttons += "|" + cp1252FromQString(button->text());
      seen.whollyOnScreen &= button->isVisible() && box->rect().contains(button->geometry());
    }
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
      seen.lines += block.layout()->lineCount();
    seen.scrolls = text->verticalScrollBar()->isVisible();
    QFont bold = box->font();
    bold.setBold(true);
    seen.titleFits = box->width() > QFontMetrics(bold).horizontalAdvance(box->windowTitle());
    for (const QLabel* label : box->findChildren<QLabel*>()) seen.icon |= !label->pixmap().isNull();
    QTest::mouseClick(text->viewport(), Qt::LeftButton);
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    seen.copied = cp1252FromQString(QApplication::clipboard()->text());
    QTest::keyClick(box, Qt::Key_Escape);
    if (box->isVisible()) QTest::mouseClick(buttons.last(), Qt::LeftButton);
  });
  look.start(1);
  seen.answer = showMessageBox(nullptr, message.text, message.title.value_or(""), message.style);
  seen.buttons.erase(0, 1);
  return seen;
}

TEST(MessageBox, ShowsAllItCarriesInPortugueseOnTheScreen) {
  const ToolkitTranslations portuguese;
  const Seen question = show(messages::advancedFunctionsQuestion());
  EXPECT_EQ(question.lines, 3);  // broken where the text breaks, nowhere else
  EXPECT_EQ(question.buttons, pt("&Sim|&Não"));
  EXPECT_TRUE(question.icon && question.titleFits && question.whollyOnScreen);
  EXPECT_EQ(question.copied, messages::advancedFunctionsQuestion().text);
  EXPECT_EQ(question.answer, message::kAnswerNo);
  EXPECT_TRUE(show(messages::specialCharacters()).titleFits);

  // Server replies: one word of 2048 bytes, markup left as it is, then 340 short lines.
  std::string word;
  while (word.size() < 2048) word += "Resposta<b>" + std::to_string(word.size()) + "</b>";
  word.resize(2048);
  const Seen wide = show(messages::serverReply(word));
  EXPECT_GT(wide.lines, 1);
  EXPECT_FALSE(wide.icon);
  EXPECT_EQ(wide.copied, word);
  std::string many;
  for (int line = 0; line < 340; ++line) many += "linha" + std::to_string(line) + "\n";
  const Seen tall = show(messages::serverReply(many));
  EXPECT_TRUE(tall.scrolls);
  for (const Seen& reply : {wide, tall}) {
    EXPECT_EQ(reply.buttons, "OK");
    EXPECT_TRUE(reply.whollyOnScreen);
    EXPECT_EQ(reply.answer, message::kAnswerOk);  // Escape answers an OK box
  }
}

}  // namespace
}  // namespace orvane::test
