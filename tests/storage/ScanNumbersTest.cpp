#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ScanNumbers.h"

namespace orvane {
namespace {

// Existing files were read with the C library's sscanf, so it is the oracle: every input must
// give the same number, the same "no number", and for hex the same length consumed.
const char* const kInputs[] = {
    "0A000002@7000",
    "7F000001@ 6969",
    "7F000001 @6969",
    "0a",
    "  \t1f",
    "FF",
    "+A",
    "-1",
    "-10",
    "0x",
    "0X1F@ 7",
    "0x@5",
    "0xg",
    "-0x10",
    "-",
    "+",
    "x1",
    "",
    "  ",
    "100000001",
    "FFFFFFFFFFFFFFFF",
    "FFFFFFFFFFFFFFFFF",
    "-100000000",
    "1@",
    "1@ -5",
    "1@+",
    "07",
    "7a",
    " +7",
    "0x7",
    "4294967303",
    "2147483648",
    "-2147483649",
    "9223372036854775807",
    "9223372036854775808",
    "-9223372036854775808",
    "-9223372036854775809",
    "99999999999999999999999",
    "\xE1"
    "5",
    "5\xE1",
    "\v\f\r\n9",
};

TEST(ScanNumbers, HexReadsAsSscanfDoes) {
  for (const std::string input : kInputs) {
    unsigned expected = 0;
    int consumed = -1;
    const bool found = std::sscanf(input.c_str(), " %X%n", &expected, &consumed) == 1;
    const auto scanned = scanHex(input);
    ASSERT_EQ(scanned.has_value(), found) << input;
    if (!found) continue;
    EXPECT_EQ(scanned->value, expected) << input;
    EXPECT_EQ(scanned->end, static_cast<std::size_t>(consumed)) << input;
  }
}

TEST(ScanNumbers, DecimalReadsAsSscanfDoes) {
  for (const std::string input : kInputs) {
    int expected = 0;
    const bool found = std::sscanf(input.c_str(), "%d", &expected) == 1;
    EXPECT_EQ(scanDecimal(input), found ? std::optional<std::int32_t>(expected) : std::nullopt)
        << input;
  }
}

TEST(ScanNumbers, AddressAndPortNeedBothNumbersAsSscanfDoes) {
  for (const std::string input : kInputs) {
    unsigned address = 0;
    int port = 0;
    const bool found = std::sscanf(input.c_str(), " %X@ %d", &address, &port) == 2;
    const auto scanned = scanAddressAndPort(input);
    ASSERT_EQ(scanned.has_value(), found) << input;
    if (!found) continue;
    EXPECT_EQ(scanned->address, address) << input;
    EXPECT_EQ(scanned->port, port) << input;
  }
}

}  // namespace
}  // namespace orvane
