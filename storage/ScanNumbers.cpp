#include "ScanNumbers.h"

#include <limits>

namespace orvane {
namespace {

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();

// scanf's white space is that of isspace() in the "C" locale, which the console never changes.
bool isScanBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

int digitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// The part that %X and %d share: blanks, sign, and for base 16 the 0x prefix, whose "x" glibc
// takes even when no digit follows ("0x@" reads as 0 followed by "@").
struct Digits {
  bool negative = false;
  bool any = false;       // a digit was read (the "0" of a prefix counts)
  bool overflow = false;  // the magnitude went past 64 bits
  std::uint64_t magnitude = 0;
  std::size_t end = 0;
};

Digits scanDigits(std::string_view text, int base) {
  Digits digits;
  std::size_t i = 0;
  while (i < text.size() && isScanBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits.negative = text[i++] == '-';
  if (base == 16 && i < text.size() && text[i] == '0') {
    digits.any = true;
    ++i;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) ++i;
  }
  for (int d = 0; i < text.size() && (d = digitValue(text[i], base)) >= 0; ++i) {
    digits.any = true;
    const auto b = static_cast<std::uint64_t>(base);
    const auto v = static_cast<std::uint64_t>(d);
    if (digits.magnitude > (kMax64 - v) / b) digits.overflow = true;
    digits.magnitude = digits.overflow ? kMax64 : digits.magnitude * b + v;
  }
  digits.end = i;
  return digits;
}

}  // namespace

std::optional<ScannedHex> scanHex(std::string_view text) {
  const Digits digits = scanDigits(text, 16);
  if (!digits.any) return std::nullopt;
  std::uint64_t value = digits.magnitude;
  if (!digits.overflow && digits.negative) value = 0 - value;
  return ScannedHex{static_cast<std::uint32_t>(value), digits.end};
}

std::optional<std::int32_t> scanDecimal(std::string_view text) {
  const Digits digits = scanDigits(text, 10);
  if (!digits.any) return std::nullopt;
  constexpr std::uint64_t kLongMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  if (!digits.negative) {
    value = digits.overflow || digits.magnitude > kLongMax
                ? std::numeric_limits<std::int64_t>::max()
                : static_cast<std::int64_t>(digits.magnitude);
  } else if (digits.overflow || digits.magnitude > kLongMax + 1) {
    value = std::numeric_limits<std::int64_t>::min();
  } else {
    value = static_cast<std::int64_t>(0 - digits.magnitude);
  }
  return static_cast<std::int32_t>(value);
}

std::optional<AddressAndPort> scanAddressAndPort(std::string_view text) {
  const auto address = scanHex(text);
  if (!address || address->end >= text.size() || text[address->end] != '@') return std::nullopt;
  const auto port = scanDecimal(text.substr(address->end + 1));
  if (!port) return std::nullopt;
  return AddressAndPort{address->value, *port};
}

}  // namespace orvane
