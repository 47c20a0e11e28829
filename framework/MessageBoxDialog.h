#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QGridLayout;
class QPlainTextEdit;

namespace orvane {

// A message box that shows all it carries. It is as wide as its longest line and its title
// need, up to the screen, so lines break only where the text breaks them; text too wide for the
// screen wraps (inside long words too), text too tall scrolls, and the buttons stay in view.
// The text is plain, can be selected and copied, and is never taken for markup: server replies
// arrive in these boxes.
class MessageBoxDialog : public QDialog {
  Q_OBJECT

 public:
  // `style` names the buttons and the icon as in MessageStyle.h; `owner` (may be null) is the
  // window the box is centred over.
  MessageBoxDialog(const QString& title, const QString& text, unsigned style, QWidget* owner);

  // The button pressed, as message::kAnswerOk, kAnswerCancel, kAnswerYes or kAnswerNo.
  int answer() const { return answer_; }

 private:
  void addButtons(unsigned style);
  void fitToScreen(const QString& title, const QWidget* owner);
  void placeOver(const QWidget* owner);

  QGridLayout* grid_ = nullptr;
  QPlainTextEdit* text_;
  QDialogButtonBox* buttons_ = nullptr;
  int iconWidth_ = 0;
  // Until a button is pressed: what Escape and the close box answer.
  int answer_;
};

}  // namespace orvane
