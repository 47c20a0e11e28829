#include "ListViewRows.h"

namespace orvane {

std::size_t ListViewRows::rowCount() const {
  const int count = list_.getItemCount();
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::string ListViewRows::cell(std::size_t row, int column) const {
  return list_.getItemText(static_cast<int>(row), column);
}

void ListViewRows::appendRow(const std::string& order, const std::string& text,
                             const std::string& dwell) {
  const int row = list_.insertItem(list_.getItemCount(), order);
  if (row < 0) return;
  list_.setItemText(row, kTextColumn, text);
  list_.setItemText(row, kDwellColumn, dwell);
}

}  // namespace orvane
