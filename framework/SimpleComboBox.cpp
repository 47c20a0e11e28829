#include "SimpleComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "EditControl.h"

namespace orvane {

SimpleComboBox::SimpleComboBox(QWidget* parent)
    : QWidget(parent), edit_(new EditControl(this)), list_(new QListWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_);
  layout->addWidget(list_, 1);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setFocusPolicy(Qt::NoFocus);  // the field holds the focus, as in the platform's control
  setFocusProxy(edit_);
  edit_->installEventFilter(this);
  connect(list_, &QListWidget::itemSelectionChanged, this, &SimpleComboBox::noteSelectionChanged);
  connect(edit_, &QLineEdit::textEdited, this, &SimpleComboBox::typed);
  // A click in the list puts the focus in the field, so the edit the operator came from loses it.
  connect(list_, &QListWidget::itemPressed, this,
          [this] { edit_->setFocus(Qt::MouseFocusReason); });
}

int SimpleComboBox::addString(const QString& text) {
  list_->addItem(text);
  return list_->count() - 1;
}

int SimpleComboBox::count() const {
  return list_->count();
}

QString SimpleComboBox::itemText(int index) const {
  const QListWidgetItem* item = list_->item(index);
  return item ? item->text() : QString{};
}

int SimpleComboBox::currentSelection() const {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void SimpleComboBox::select(int index) {
  selectingByProgram_ = true;
  if (index >= 0 && index < list_->count()) {
    list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    list_->scrollToItem(list_->item(index));
    edit_->setSystemText(list_->item(index)->text());
  } else {
    list_->setCurrentRow(-1, QItemSelectionModel::Clear);
    edit_->setSystemText(QString{});
  }
  selectingByProgram_ = false;
  lastSelection_ = currentSelection();
}

void SimpleComboBox::noteSelectionChanged() {
  if (selectingByProgram_) return;
  const int row = currentSelection();
  if (row == lastSelection_) return;
  // The field and the code beside the list still show the entry; a list left without one by a
  // Ctrl+click or Ctrl+Space would quietly drop it from the next update. Only a program clears.
  if (row < 0) {
    select(lastSelection_);
    return;
  }
  lastSelection_ = row;
  edit_->setSystemText(list_->item(row)->text());
  emit selectionChanged();
}

int SimpleComboBox::entryTyped(const QString& text) const {
  int begun = -1;
  for (int row = 0; row < list_->count(); ++row) {
    const QString entry = list_->item(row)->text();
    if (entry.compare(text, Qt::CaseInsensitive) == 0) return row;
    if (begun < 0 && entry.startsWith(text, Qt::CaseInsensitive)) begun = row;
  }
  return begun;
}

// An empty field is no choice; the selection stays until the field is left.
void SimpleComboBox::typed(const QString& text) {
  const int row = text.isEmpty() ? -1 : entryTyped(text);
  if (row < 0 || row == currentSelection()) return;
  selectingByProgram_ = true;
  list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
  list_->scrollToItem(list_->item(row));
  selectingByProgram_ = false;
  lastSelection_ = row;
  emit selectionChanged();
}

void SimpleComboBox::showSelectedName() {
  const int row = currentSelection();
  if (row >= 0 && edit_->text() != list_->item(row)->text())
    edit_->setSystemText(list_->item(row)->text());
}

bool SimpleComboBox::eventFilter(QObject* watched, QEvent* event) {
  // Leaving is going to another control: a box over the window (a code picked while another
  // field fails its check) is no reason to rewrite what the operator is typing.
  if (watched == edit_ && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) showSelectedName();
  }
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) showSelectedName();  // and on to the dialog
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      const int current = currentSelection();
      const int next =
          key == Qt::Key_Up ? std::max(0, current - 1) : std::min(list_->count() - 1, current + 1);
      if (next != current && next >= 0) {
        list_->setCurrentRow(next, QItemSelectionModel::ClearAndSelect);
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace orvane
