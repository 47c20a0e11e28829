#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <vector>

namespace orvane {

// The rows of a list view, kept as the console keeps all text: code-page bytes, turned into
// QString only for the rows on screen. A list of a million lines read from a file so costs a few
// hundred bytes a row, where a widget item for every row cost about a kilobyte. Every row has a
// cell for each column, and one cell while there is no column yet.
class ListViewModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Returns the column's index, or -1. An index past the end appends; the cells of the columns
  // after it move right with their column.
  int addColumn(int index, const QString& heading, Qt::Alignment alignment);
  Qt::Alignment columnAlignment(int column) const;

  // Inserts a row whose first cell holds `text`, the others empty; a row past the end appends.
  // Returns the new row's index, or -1.
  int addRow(int row, std::string text);
  // Appends rows, each cut or padded to a cell per column, in one insertion: a view attached
  // then lays out once, where row by row it would for every row.
  void appendRows(std::vector<std::vector<std::string>> rows);
  bool deleteRow(int row);
  bool setCell(int row, int column, std::string text);
  // Empty for a cell that does not exist.
  std::string cell(int row, int column) const;

 private:
  struct Column {
    QString heading;
    Qt::Alignment alignment;
  };
  using Row = std::vector<std::string>;

  bool hasCell(int row, int column) const;
  std::size_t cellsPerRow() const;

  std::vector<Column> columns_;
  std::vector<Row> rows_;
};

}  // namespace orvane
