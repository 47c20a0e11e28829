#include "EditControl.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <memory>

#include "EditValidator.h"

namespace orvane {
namespace {

// The toolkit's edit menu names its items only by their (translated) texts; the Paste item is
// the one that shows the Paste keys.
QAction* findPasteItem(const QMenu& menu) {
  const QString keys = u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  for (QAction* item : menu.actions()) {
    if (item->text().endsWith(keys)) return item;
  }
  return nullptr;
}

}  // namespace

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
  lostFocusReason_ = event->reason();
  emit focusLost();
}

bool EditControl::pasteByHandler() {
  return pasteHandler_ && pasteHandler_(QApplication::clipboard()->text());
}

void EditControl::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly() && pasteByHandler()) return;
  QLineEdit::keyPressEvent(event);
}

void EditControl::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(createStandardContextMenu());
  QAction* pasteItem = findPasteItem(*menu);
  if (pasteItem && pasteHandler_) {
    QObject::disconnect(pasteItem, &QAction::triggered, nullptr, nullptr);
    connect(pasteItem, &QAction::triggered, this, [this] {
      if (!pasteByHandler()) paste();
    });
  }
  const QList<QAction*> windowItems = window()->actions();
  if (!windowItems.isEmpty()) {
    menu->addSeparator();
    menu->addActions(windowItems);
  }
  menu->exec(event->globalPos());
}

}  // namespace orvane
