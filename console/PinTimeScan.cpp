#include "PinTimeScan.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>

namespace orvane {
namespace {

constexpr unsigned kLastHour = 23;
constexpr unsigned kLastMinute = 59;

bool isBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

void skipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
}

// A decimal number as "%d" reads it: blanks, an optional sign, at least one digit. A value that
// does not fit an int sets `overflow`; nullopt when there is no number at all.
std::optional<std::int64_t> readDecimal(std::string_view text, std::size_t& pos, bool& overflow) {
  skipBlanks(text, pos);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= text.size() || !isDigit(text[pos])) return std::nullopt;
  constexpr std::int64_t kBeyondInt = std::int64_t{std::numeric_limits<int>::max()} + 1;
  std::int64_t value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    value = value * 10 + (text[pos++] - '0');
    if (value > kBeyondInt) value = kBeyondInt;
  }
  if (value >= kBeyondInt) overflow = true;
  return negative ? -value : value;
}

bool withinUnsigned(std::int64_t value, unsigned last) {
  return value >= 0 && static_cast<std::uint64_t>(value) <= last;
}

}  // namespace

PinTime scanPinTime(std::string_view text) {
  PinTime time;
  std::size_t pos = 0;
  bool overflow = false;
  const auto hour = readDecimal(text, pos, overflow);
  if (!hour || pos >= text.size() || text[pos] != ':') return time;
  ++pos;
  const auto minute = readDecimal(text, pos, overflow);
  if (!minute) return time;
  if (overflow || !withinUnsigned(*hour, kLastHour) || !withinUnsigned(*minute, kLastMinute)) {
    time.result = PinTime::Result::outOfRange;
    return time;
  }
  time.result = PinTime::Result::valid;
  time.hour = static_cast<int>(*hour);
  time.minute = static_cast<int>(*minute);
  return time;
}

}  // namespace orvane
