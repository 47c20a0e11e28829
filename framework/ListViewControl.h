#pragma once

#include <QTreeWidget>
#include <vector>

namespace orvane {

// A list view in report form: rows of text cells under column headings, each column with its
// own alignment.
class ListViewControl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit ListViewControl(QWidget* parent = nullptr);

  // Returns the column's index, or -1. An index past the end appends.
  int insertColumn(int index, const QString& heading, Qt::Alignment alignment, int width);
  int columns() const { return static_cast<int>(alignments_.size()); }
  Qt::Alignment columnAlignment(int column) const;

 signals:
  // A double click of the primary button anywhere in the list, on a row or not.
  void doubleClicked();

 protected:
  bool viewportEvent(QEvent* event) override;

 private:
  void shiftCellsRight(int fromColumn);

  std::vector<Qt::Alignment> alignments_;
};

}  // namespace orvane
