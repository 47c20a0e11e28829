#pragma once

#include <QTreeView>
#include <vector>

#include "ListViewModel.h"

namespace orvane {

// A list view in report form: rows of text cells under column headings, each column with its
// own alignment. The rows live in the view's own model.
class ListViewControl : public QTreeView {
  Q_OBJECT

 public:
  explicit ListViewControl(QWidget* parent = nullptr);

  // Returns the column's index, or -1. An index past the end appends.
  int insertColumn(int index, const QString& heading, Qt::Alignment alignment, int width);
  Qt::Alignment columnAlignment(int column) const { return rows_->columnAlignment(column); }

  ListViewModel& rows() { return *rows_; }
  const ListViewModel& rows() const { return *rows_; }
  // The selected rows, in ascending order.
  std::vector<int> selectedRows() const;
  // Selects or deselects a row without touching the others, except that selecting in a
  // single-selection list deselects the row selected before.
  bool selectRow(int row, bool selected);

 signals:
  // A double click of the primary button anywhere in the list, on a row or not.
  void doubleClicked();

 protected:
  bool viewportEvent(QEvent* event) override;

 private:
  ListViewModel* rows_;
};

}  // namespace orvane
