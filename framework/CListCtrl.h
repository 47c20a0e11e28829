#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

namespace orvane {

class ListViewControl;

// A dialog's list view in report form, attached by a control step of the exchange list. Rows
// and columns count from 0; cells hold text of any length. Does nothing (and reports -1 or 0)
// while not attached.
class CListCtrl {
 public:
  static constexpr int kAlignLeft = 0;
  static constexpr int kAlignRight = 1;
  static constexpr int kAlignCenter = 2;
  static constexpr unsigned kNextAll = 0;
  static constexpr unsigned kNextSelected = 2;

  bool attach(QWidget* control);  // false when the control is no list view
  bool isAttached() const;
  ListViewControl* widget() const;

  // Returns the column's index, or -1.
  int insertColumn(int column, const std::string& heading, int alignment, int width);
  // Inserts a row whose first cell is `text`; a row past the end appends. Returns the new
  // row's index, or -1.
  int insertItem(int row, const std::string& text);
  // Appends rows of cells at once; see ListViewModel::appendRows.
  void appendItems(std::vector<std::vector<std::string>> rows);
  bool setItemText(int row, int column, const std::string& text);
  std::string getItemText(int row, int column) const;
  int getItemCount() const;
  int getSelectedCount() const;
  // The first row after `start` (-1: from the top) that matches `flags`; -1 when none does.
  int getNextItem(int start, unsigned flags) const;
  bool deleteItem(int row);
  // Selects or deselects a row, as the operator's click would, but without notifications.
  bool setItemSelected(int row, bool selected);

 private:
  QPointer<ListViewControl> list_;
};

}  // namespace orvane
