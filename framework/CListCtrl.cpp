#include "CListCtrl.h"

#include <algorithm>
#include <vector>

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
  return list_ ? list_->rows().addRow(row, text) : -1;
}

void CListCtrl::appendItems(std::vector<std::vector<std::string>> rows) {
  if (list_) list_->rows().appendRows(std::move(rows));
}

bool CListCtrl::setItemText(int row, int column, const std::string& text) {
  return list_ && list_->rows().setCell(row, column, text);
}

std::string CListCtrl::getItemText(int row, int column) const {
  return list_ ? list_->rows().cell(row, column) : std::string{};
}

int CListCtrl::getItemCount() const {
  return list_ ? list_->rows().rowCount() : 0;
}

int CListCtrl::getSelectedCount() const {
  return list_ ? static_cast<int>(list_->selectedRows().size()) : 0;
}

int CListCtrl::getNextItem(int start, unsigned flags) const {
  if (!list_) return -1;
  const int next = std::max(0, start + 1);
  if ((flags & kNextSelected) == 0) return next < getItemCount() ? next : -1;
  for (const int row : list_->selectedRows()) {
    if (row >= next) return row;
  }
  return -1;
}

bool CListCtrl::deleteItem(int row) {
  if (!list_ || row < 0 || row >= getItemCount()) return false;
  std::vector<int> keep = list_->selectedRows();
  std::erase(keep, row);
  list_->rows().deleteRow(row);
  // The view would otherwise pass the selection on to a neighbour; no row is chosen that the
  // operator did not choose.
  list_->clearSelection();
  for (const int kept : keep) list_->selectRow(kept < row ? kept : kept - 1, true);
  return true;
}

bool CListCtrl::setItemSelected(int row, bool selected) {
  return list_ && list_->selectRow(row, selected);
}

}  // namespace orvane
