#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ScanNumbers.h"

namespace orvane {
namespace {

// Existing files were read with the C library's sscanf, so it is the oracle: every input must
// give the same numbers, the same "no number", and for hex the same length consumed.
TEST(ScanNumbers, ReadAsSscanfDoes) {
  // clang-format off
  const std::string inputs[] = {
      "0A000002@7000", "7F000001@ 6969", "7F000001 @6969", "  \t1f", "+A", "-1", "0x", "0X1F@ 7",
      "0x@5", "0xg", "-0x10", "-", "x1", "", "100000001", "1@", "1@+", "FFFFFFFFFFFFFFFF",
      "FFFFFFFFFFFFFFFFF", "-100000000", "1@ -5", "07", "7a", " +7", "4294967303", "2147483648",
      "-2147483649", "9223372036854775808", "-9223372036854775808", "-9223372036854775809",
      "99999999999999999999999", "\xE1" "5", "5\xE1", "\v\f\r\n9"};
  // clang-format on
  for (const std::string& input : inputs) {
    unsigned hex = 0, address = 0;
    int consumed = -1, decimal = 0, port = 0;
    const bool hexFound = std::sscanf(input.c_str(), " %X%n", &hex, &consumed) == 1;
    const bool decimalFound = std::sscanf(input.c_str(), "%d", &decimal) == 1;
    const bool pairFound = std::sscanf(input.c_str(), " %X@ %d", &address, &port) == 2;

    using Hex = std::optional<std::pair<std::uint32_t, std::size_t>>;
    using Pair = std::optional<std::pair<std::uint32_t, std::int32_t>>;
    const auto h = scanHex(input);
    const auto p = scanAddressAndPort(input);
    EXPECT_EQ(h ? Hex({h->value, h->end}) : std::nullopt,
              hexFound ? Hex({hex, static_cast<std::size_t>(consumed)}) : std::nullopt)
        << input;
    EXPECT_EQ(scanDecimal(input), decimalFound ? std::optional(decimal) : std::nullopt) << input;
    EXPECT_EQ(p ? Pair({p->address, p->port}) : std::nullopt,
              pairFound ? Pair({address, port}) : std::nullopt)
        << input;
  }
}

}  // namespace
}  // namespace orvane
