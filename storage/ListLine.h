#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// One entry of the radiotext list file, "[order][dwell]text", as the raw texts of its fields.
struct ListLine {
  std::string_view order;
  std::string_view dwell;  // in units of 15 seconds
  std::string_view text;
};

// One piece of the list file as the reader gets it. Nothing when the line is not an entry: five
// bytes or fewer with its line end (so "[1][]" needs its line end), not starting with "[", or
// without both closing brackets inside the line. The byte after the first "]" is passed over
// unchecked; the text runs from the second "]" to the trimmed end and may hold brackets. The
// fields view `piece`.
std::optional<ListLine> parseListLine(std::string_view piece);

// The line the list file holds for one row, with the CR LF line end of the workstations. A cell
// ends at a NUL byte, and an LF inside a cell is written as CR LF, as the workstation's
// "[%s][%s]%s\n" in text mode did.
std::string formatListLine(std::string_view order, std::string_view dwell, std::string_view text);

}  // namespace orvane
