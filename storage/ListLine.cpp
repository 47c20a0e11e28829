#include "ListLine.h"

#include "LineReader.h"

namespace orvane {
namespace {

// Shorter lines were skipped by the workstation before any parsing; the line end counts as one
// byte whether it was LF or CR LF in the file.
constexpr std::size_t kShortestEntry = 6;
// The list trims with `< 0x20` on a signed char: controls and bytes from 0x80 up go, blanks stay.
constexpr int kListTrimBelow = 0x20;

void appendCell(std::string& line, std::string_view cell) {
  cell = cell.substr(0, cell.find('\0'));
  for (const char c : cell) {
    if (c == '\n') line += '\r';
    line += c;
  }
}

}  // namespace

std::optional<ListLine> parseListLine(std::string_view piece) {
  if (piece.size() < kShortestEntry) return std::nullopt;
  const std::string_view line = trimLineEnd(piece, kListTrimBelow);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t orderEnd = line.find(']', 1);
  if (orderEnd == std::string_view::npos || orderEnd + 2 > line.size()) return std::nullopt;
  const std::size_t dwellStart = orderEnd + 2;
  const std::size_t dwellEnd = line.find(']', dwellStart);
  if (dwellEnd == std::string_view::npos) return std::nullopt;
  return ListLine{line.substr(1, orderEnd - 1), line.substr(dwellStart, dwellEnd - dwellStart),
                  line.substr(dwellEnd + 1)};
}

std::string formatListLine(std::string_view order, std::string_view dwell, std::string_view text) {
  std::string line = "[";
  appendCell(line, order);
  line += "][";
  appendCell(line, dwell);
  line += ']';
  appendCell(line, text);
  line += "\r\n";
  return line;
}

}  // namespace orvane
