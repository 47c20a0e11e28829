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
#include "ToolkitTranslations.h"

namespace orvane::test {
namespace {

// Shows a box as the console does and says what the operator sees: its buttons, the paragraphs
// of its text and whether they wrap or scroll, an icon, whether it all lies on the screen, its
// title fits and Ctrl+A, Ctrl+C copy the whole text. It is answered with Escape: OK, or No.
std::string show(const ConsoleMessage& message) {
  std::string seen;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    look.stop();
    auto* text = box->findChild<QPlainTextEdit*>();
    if (text == nullptr) return box->done(0);  // seen stays empty
    const auto buttons = box->findChildren<QAbstractButton*>();
    bool onScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
    for (const QAbstractButton* button : buttons) {
      seen += cp1252FromQString(button->text()) + "|";
      onScreen &= button->isVisible() && box->rect().contains(button->geometry());
    }
    int lines = 0;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
      lines += block.layout()->lineCount();
    bool icon = false;
    for (const QLabel* label : box->findChildren<QLabel*>()) icon |= !label->pixmap().isNull();
    QFont bold = box->font();
    bold.setBold(true);
    const bool titleFits = box->width() > QFontMetrics(bold).horizontalAdvance(box->windowTitle());
    QTest::mouseClick(text->viewport(), Qt::LeftButton);
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    const bool copies = QApplication::clipboard()->text() == qStringFromCp1252(message.text);
    seen += std::to_string(text->document()->blockCount()) + " paragraphs" +
            (lines > text->document()->blockCount() ? ", wrapped" : "") +
            (text->verticalScrollBar()->isVisible() ? ", scrolls" : "") + (icon ? ", icon" : "") +
            (onScreen ? ", on screen" : "") + (titleFits ? ", title fits" : "") +
            (copies ? ", copies" : "");
    QTest::keyClick(box, Qt::Key_Escape);
  });
  look.start(1);
  const int answer =
      showMessageBox(nullptr, message.text, message.title.value_or(""), message.style);
  return seen + ", answer " + std::to_string(answer);
}

TEST(MessageBox, ShowsAllItCarriesInPortugueseOnTheScreen) {
  const ToolkitTranslations portuguese;
  // Three lines where the text breaks them and nowhere else; the title whole.
  EXPECT_EQ(show(messages::advancedFunctionsQuestion()),
            pt("&Sim|&Não|3 paragraphs, icon, on screen, title fits, copies, answer 7"));
  EXPECT_EQ(show(messages::specialCharacters()),
            "OK|1 paragraphs, icon, on screen, title fits, copies, answer 1");
  // Server replies: 2048 bytes without a blank, markup left as it is, and 340 short lines.
  const std::string word = "<b>" + std::string(2041, 'x') + "</b>";
  EXPECT_EQ(show(messages::serverReply(word)),
            "OK|1 paragraphs, wrapped, on screen, title fits, copies, answer 1");
  std::string many;
  for (int line = 0; line < 340; ++line) many += "linha" + std::to_string(line) + "\n";
  EXPECT_EQ(show(messages::serverReply(many)),
            "OK|341 paragraphs, scrolls, on screen, title fits, copies, answer 1");
}

}  // namespace
}  // namespace orvane::test
