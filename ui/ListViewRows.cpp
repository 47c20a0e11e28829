#include "ListViewRows.h"

#include <utility>

namespace orvane {

std::size_t ListViewRows::rowCount() const {
  flush();
  const int count = list_.getItemCount();
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::string ListViewRows::cell(std::size_t row, int column) const {
  flush();
  return list_.getItemText(static_cast<int>(row), column);
}

void ListViewRows::appendRow(const std::string& order, const std::string& text,
                             const std::string& dwell) {
  std::vector<std::string> cells(3);
  cells[kOrderColumn] = order;
  cells[kTextColumn] = text;
  cells[kDwellColumn] = dwell;
  pending_.push_back(std::move(cells));
}

void ListViewRows::flush() const {
  if (!pending_.empty()) list_.appendItems(std::exchange(pending_, {}));
}

}  // namespace orvane
