#include "CListCtrl.h"

#include <algorithm>

#include "Cp1252Text.h"
#include "DialogUnits.h"
#include "ListViewControl.h"

namespace orvane {
namespace {

Qt::Alignment alignmentFor(int alignment) {
  switch (alignment) {
    case CListCtrl::kAlignRight:
      return Qt::AlignRight;
    case CListCtrl::kAlignCenter:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft;
  }
}

}  // namespace

bool CListCtrl::isAttached() const {
  return !list_.isNull();
}

ListViewControl* CListCtrl::widget() const {
  return list_.data();
}

bool CListCtrl::attach(QWidget* control) {
  list_ = qobject_cast<ListViewControl*>(control);
  return isAttached();
}

int CListCtrl::insertColumn(int column, const std::string& heading, int alignment, int width) {
  if (!list_) return -1;
  return list_->insertColumn(column, qStringFromCp1252(heading), alignmentFor(alignment),
                             DialogUnits::letterScaledPixels(width, list_->font()));
}

int CListCtrl::insertItem(int row, const std::string& text) {
  if (!list_ || row < 0) return -1;
  row = std::min(row, list_->topLevelItemCount());
  auto* item = new QTreeWidgetItem;
  for (int column = 0; column < list_->columns(); ++column) {
    item->setTextAlignment(column, list_->columnAlignment(column));
  }
  item->setText(0, qStringFromCp1252(text));
  list_->insertTopLevelItem(row, item);
  return row;
}

bool CListCtrl::setItemText(int row, int column, const std::string& text) {
  QTreeWidgetItem* item = list_ ? list_->topLevelItem(row) : nullptr;
  if (!item || column < 0 || column >= std::max(1, list_->columns())) return false;
  item->setText(column, qStringFromCp1252(text));
  return true;
}

std::string CListCtrl::getItemText(int row, int column) const {
  const QTreeWidgetItem* item = list_ ? list_->topLevelItem(row) : nullptr;
  return item ? cp1252FromQString(item->text(column)) : std::string{};
}

int CListCtrl::getItemCount() const {
  return list_ ? list_->topLevelItemCount() : 0;
}

int CListCtrl::getSelectedCount() const {
  return list_ ? static_cast<int>(list_->selectedItems().size()) : 0;
}

int CListCtrl::getNextItem(int start, unsigned flags) const {
  if (!list_) return -1;
  for (int row = std::max(0, start + 1); row < list_->topLevelItemCount(); ++row) {
    if ((flags & kNextSelected) == 0 || list_->topLevelItem(row)->isSelected()) return row;
  }
  return -1;
}

bool CListCtrl::deleteItem(int row) {
  if (!list_ || row < 0 || row >= list_->topLevelItemCount()) return false;
  QList<QTreeWidgetItem*> keep = list_->selectedItems();
  QTreeWidgetItem* item = list_->takeTopLevelItem(row);
  keep.removeAll(item);
  delete item;
  // The view would otherwise pass the selection on to a neighbour; no row is chosen that the
  // operator did not choose.
  list_->clearSelection();
  for (QTreeWidgetItem* kept : keep) kept->setSelected(true);
  return true;
}

bool CListCtrl::setItemSelected(int row, bool selected) {
  QTreeWidgetItem* item = list_ ? list_->topLevelItem(row) : nullptr;
  if (!item) return false;
  if (selected && list_->selectionMode() == QAbstractItemView::SingleSelection) {
    list_->clearSelection();
  }
  item->setSelected(selected);
  if (selected) list_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  return true;
}

}  // namespace orvane
