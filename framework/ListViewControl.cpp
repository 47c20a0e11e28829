#include "ListViewControl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace orvane {

ListViewControl::ListViewControl(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setColumnCount(0);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
}

Qt::Alignment ListViewControl::columnAlignment(int column) const {
  if (column < 0 || column >= columns()) return Qt::AlignLeft;
  return alignments_[static_cast<std::size_t>(column)];
}

int ListViewControl::insertColumn(int index, const QString& heading, Qt::Alignment alignment,
                                  int width) {
  if (index < 0) return -1;
  index = std::min(index, columns());
  alignments_.insert(alignments_.begin() + index, alignment | Qt::AlignVCenter);
  setColumnCount(columns());
  shiftCellsRight(index);
  headerItem()->setText(index, heading);
  headerItem()->setTextAlignment(index, columnAlignment(index));
  for (int row = 0; row < topLevelItemCount(); ++row) {
    topLevelItem(row)->setText(index, QString{});
    topLevelItem(row)->setTextAlignment(index, columnAlignment(index));
  }
  setColumnWidth(index, width);
  return index;
}

// Moves headings and cells from `fromColumn` on one column to the right, into the column that
// was just added at the end.
void ListViewControl::shiftCellsRight(int fromColumn) {
  QTreeWidgetItem* head = headerItem();
  for (int column = columns() - 1; column > fromColumn; --column) {
    head->setText(column, head->text(column - 1));
    head->setTextAlignment(column, columnAlignment(column));
    setColumnWidth(column, columnWidth(column - 1));
    for (int row = 0; row < topLevelItemCount(); ++row) {
      QTreeWidgetItem* item = topLevelItem(row);
      item->setText(column, item->text(column - 1));
      item->setTextAlignment(column, columnAlignment(column));
    }
  }
}

bool ListViewControl::viewportEvent(QEvent* event) {
  const bool handled = QTreeWidget::viewportEvent(event);
  // The platform's list reports a double click of the primary button only; the other buttons
  // select a row and nothing more.
  if (event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    emit doubleClicked();
  }
  return handled;
}

}  // namespace orvane
