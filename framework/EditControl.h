#pragma once

#include <QLineEdit>
#include <QString>
#include <functional>

namespace orvane {

// A single-line edit as the dialogs use it: typed text is held to the code page and to the
// input limit (EditValidator), and the edit reports the operator's changes and the loss of its
// focus as the dialog's handlers expect them.
class EditControl : public QLineEdit {
  Q_OBJECT

 public:
  explicit EditControl(QWidget* parent = nullptr);

  // Text written by the program: shown whole, whatever the limit or the filter would say.
  void setSystemText(const QString& text);

  // The most characters the operator can bring the text to; 0 means no limit.
  void setInputLimit(int characters) { inputLimit_ = characters; }
  int inputLimit() const { return inputLimit_; }
  void setDigitsOnly(bool digitsOnly) { digitsOnly_ = digitsOnly; }
  bool digitsOnly() const { return digitsOnly_; }

  // Replaces what pasting does (the Paste keys and the Paste item of the edit's menu): the
  // handler gets the clipboard's text and returns false to let the edit paste it as usual.
  void setPasteHandler(std::function<bool(const QString&)> handler) {
    pasteHandler_ = std::move(handler);
  }

  // The text as it stood before the change now being validated.
  const QString& committedText() const { return committedText_; }
  bool writingSystemText() const { return writingSystemText_; }
  // Why the focus went, as of the last focusLost().
  Qt::FocusReason lostFocusReason() const { return lostFocusReason_; }

 signals:
  // The text changed, by the operator or by the program.
  void changed();
  // The edit had the focus and lost it to another control, or to a window opened over the
  // dialog. Not when the whole application loses activation: switching to another program
  // and back is not leaving the field.
  void focusLost();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // The edit's own menu, then the items of its window's menu (the About item of the console),
  // which would otherwise be out of reach while the focus is in an edit.
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void noteTextChanged(const QString& text);
  bool pasteByHandler();

  QString committedText_;
  int inputLimit_ = 0;
  bool digitsOnly_ = false;
  bool writingSystemText_ = false;
  // Set by a focus-in; a focus-out without one before it (the focus passed through on its way
  // elsewhere) is not a loss.
  bool holdsFocus_ = false;
  Qt::FocusReason lostFocusReason_ = Qt::OtherFocusReason;
  std::function<bool(const QString&)> pasteHandler_;
};

}  // namespace orvane
