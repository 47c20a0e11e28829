#pragma once

#include <charconv>
#include <string>

namespace orvane {

// A number in a fixed least width, zero-padded after any sign, as printf's "%0*X" and "%0*d" write
// it, without printf's parsing of a format for every call: the log describes every change this
// way, between a command's frame and the next command.
[[nodiscard]] inline std::string paddedNumber(long long value, int width, int base) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value < 0 ? -value : value, base);
  std::string out;
  if (value < 0) out += '-';
  const auto length = static_cast<int>(end.ptr - digits);
  if (length + static_cast<int>(out.size()) < width) {
    out.append(static_cast<std::size_t>(width - length - static_cast<int>(out.size())), '0');
  }
  for (const char* c = digits; c != end.ptr; ++c)
    out += *c >= 'a' ? static_cast<char>(*c - 'a' + 'A') : *c;
  return out;
}

[[nodiscard]] inline std::string hexDigits(unsigned value, int width) {
  return paddedNumber(value, width, 16);
}

[[nodiscard]] inline std::string decimalDigits(int value, int width) {
  return paddedNumber(value, width, 10);
}

}  // namespace orvane
