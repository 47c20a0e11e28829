#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// The list editor's rows as the list file sees them, so that storage needs no widgets. Cells
// hold the raw field texts, 8-bit code-page bytes.
class TextListRows {
 public:
  virtual ~TextListRows() = default;
  virtual std::size_t rowCount() const = 0;
  virtual std::string cell(std::size_t row, int column) const = 0;
  virtual void appendRow(const std::string& order, const std::string& text,
                         const std::string& dwell) = 0;
};

// The editor's columns, headed "ORD", "TEXTO" and "TMS".
inline constexpr int kOrderColumn = 0;
inline constexpr int kTextColumn = 1;
inline constexpr int kDwellColumn = 2;

}  // namespace orvane
