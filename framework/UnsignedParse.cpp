#include "UnsignedParse.h"

#include <limits>

namespace orvane {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  return pos;
}

}  // namespace

std::optional<std::uint32_t> parseUnsigned(std::string_view text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::size_t pos = skipBlanks(text, 0);
  if (pos < text.size() && text[pos] == '-') return std::nullopt;
  const std::size_t start = pos;
  if (pos < text.size() && text[pos] == '+') ++pos;

  std::uint64_t value = 0;
  for (; pos < text.size() && isDigit(text[pos]); ++pos) {
    value = value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
    if (value > kMax) value = kMax;  // keeps reading digits, never wraps
  }
  if (value == 0 && (start >= text.size() || text[start] != '0')) return std::nullopt;

  pos = skipBlanks(text, pos);
  if (pos != text.size()) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace orvane
