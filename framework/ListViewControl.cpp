#include "ListViewControl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace orvane {

ListViewControl::ListViewControl(QWidget* parent)
    : QTreeView(parent), rows_(new ListViewModel(this)) {
  setModel(rows_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  // Row heights are then never asked of rows off the screen, which keeps a long list fast.
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
}

int ListViewControl::insertColumn(int index, const QString& heading, Qt::Alignment alignment,
                                  int width) {
  index = rows_->addColumn(index, heading, alignment);
  if (index >= 0) setColumnWidth(index, width);
  return index;
}

std::vector<int> ListViewControl::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& selected : selectionModel()->selectedRows()) {
    rows.push_back(selected.row());
  }
  std::ranges::sort(rows);
  return rows;
}

bool ListViewControl::selectRow(int row, bool selected) {
  const QModelIndex index = rows_->index(row, 0);
  if (!index.isValid()) return false;
  QItemSelectionModel::SelectionFlags command =
      selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
  if (selected && selectionMode() == QAbstractItemView::SingleSelection) {
    command = QItemSelectionModel::ClearAndSelect;
  }
  selectionModel()->select(index, command | QItemSelectionModel::Rows);
  if (selected) selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  return true;
}

bool ListViewControl::viewportEvent(QEvent* event) {
  const bool handled = QTreeView::viewportEvent(event);
  // The platform's list reports a double click of the primary button only; the other buttons
  // select a row and nothing more.
  if (event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    emit doubleClicked();
  }
  return handled;
}

}  // namespace orvane
