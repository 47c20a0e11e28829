#include "ListViewModel.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "Cp1252Text.h"

namespace orvane {

int ListViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
  if (!hasCell(index.row(), index.column())) return {};
  if (role == Qt::DisplayRole) return qStringFromCp1252(cell(index.row(), index.column()));
  if (role == Qt::TextAlignmentRole) return QVariant(columnAlignment(index.column()));
  return {};
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns_[static_cast<std::size_t>(section)].heading;
  if (role == Qt::TextAlignmentRole) return QVariant(columnAlignment(section));
  return {};
}

int ListViewModel::addColumn(int index, const QString& heading, Qt::Alignment alignment) {
  if (index < 0) return -1;
  index = std::min(index, columnCount());
  // The lone cell of a list without columns becomes the first column's.
  const bool shiftCells = !columns_.empty();
  beginInsertColumns({}, index, index);
  columns_.insert(columns_.begin() + index, Column{heading, alignment | Qt::AlignVCenter});
  if (shiftCells) {
    for (Row& row : rows_) row.insert(row.begin() + index, std::string{});
  }
  endInsertColumns();
  return index;
}

Qt::Alignment ListViewModel::columnAlignment(int column) const {
  if (column < 0 || column >= columnCount()) return Qt::AlignLeft;
  return columns_[static_cast<std::size_t>(column)].alignment;
}

int ListViewModel::addRow(int row, std::string text) {
  if (row < 0) return -1;
  row = std::min(row, rowCount());
  beginInsertRows({}, row, row);
  Row cells(cellsPerRow());
  cells.front() = std::move(text);
  rows_.insert(rows_.begin() + row, std::move(cells));
  endInsertRows();
  return row;
}

void ListViewModel::appendRows(std::vector<std::vector<std::string>> rows) {
  if (rows.empty()) return;
  for (Row& row : rows) row.resize(cellsPerRow());
  beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(rows.size()) - 1);
  if (rows_.empty()) {
    rows_ = std::move(rows);
  } else {
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
  }
  endInsertRows();
}

bool ListViewModel::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
  return true;
}

bool ListViewModel::setCell(int row, int column, std::string text) {
  if (!hasCell(row, column)) return false;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
  if (column < columnCount()) {
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
  }
  return true;
}

std::string ListViewModel::cell(int row, int column) const {
  if (!hasCell(row, column)) return {};
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

bool ListViewModel::hasCell(int row, int column) const {
  return row >= 0 && row < rowCount() && column >= 0 &&
         static_cast<std::size_t>(column) < cellsPerRow();
}

std::size_t ListViewModel::cellsPerRow() const {
  return std::max<std::size_t>(1, columns_.size());
}

}  // namespace orvane
