#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

// The numbers in the console's files were always read with the C library's scanf conversions, so
// a file's meaning is what those conversions make of it. These functions reproduce glibc's
// sscanf on 64-bit Linux exactly, including what it does with signs and oversized numbers,
// without the cost of a C-string copy and a format parse for every line of the list file.

struct ScannedHex {
  std::uint32_t value = 0;
  std::size_t end = 0;  // bytes consumed, leading blanks included
};

// " %X": blanks skipped, an optional sign, an optional 0x or 0X, hex digits in either case. The
// digits are read as strtoul does (saturating at 64 bits, a minus sign negating) and the result
// is cut to 32 bits, so "100000001" gives 1 and "-1" gives FFFFFFFF. Nothing when no number.
std::optional<ScannedHex> scanHex(std::string_view text);

// "%d": blanks skipped, an optional sign, decimal digits. Read as strtol does (saturating at 64
// bits) and cut to 32 bits, so "4294967303" gives 7. Nothing when no number.
std::optional<std::int32_t> scanDecimal(std::string_view text);

struct AddressAndPort {
  std::uint32_t address = 0;
  std::int32_t port = 0;
};

// " %X@ %d": a hex address, "@" directly after it, blanks allowed, a decimal port. Nothing unless
// both numbers are there.
std::optional<AddressAndPort> scanAddressAndPort(std::string_view text);

}  // namespace orvane
