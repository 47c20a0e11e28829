#include "EditControl.h"

#include <QApplication>
#include <QFocusEvent>

#include "EditValidator.h"

namespace orvane {

EditControl::EditControl(QWidget* parent) : QLineEdit(parent) {
  setValidator(new EditValidator(*this));
  connect(this, &QLineEdit::textChanged, this, &EditControl::noteTextChanged);
}

void EditControl::setSystemText(const QString& text) {
  writingSystemText_ = true;
  setText(text);
  writingSystemText_ = false;
}

void EditControl::noteTextChanged(const QString& text) {
  // A keystroke refused at the limit still makes the line control report its own rewrite.
  if (text == committedText_) return;
  committedText_ = text;
  emit changed();
}

void EditControl::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  holdsFocus_ = true;
}

void EditControl::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!holdsFocus_) return;
  const bool applicationDeactivated =
      event->reason() == Qt::ActiveWindowFocusReason && QApplication::activeWindow() == nullptr;
  // The edit's own context menu takes the focus only for a moment.
  if (applicationDeactivated || event->reason() == Qt::PopupFocusReason) return;
  holdsFocus_ = false;
  emit focusLost();
}

}  // namespace orvane
