#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "UnsignedParse.h"

namespace orvane {
namespace {

struct ParseCase {
  std::string_view text;
  std::optional<std::uint32_t> read;  // empty: refused
};

// Names the case by its text, tabs spelt out, so the test list stays readable.
void PrintTo(const ParseCase& c, std::ostream* out) {
  *out << '[';
  for (const char ch : c.text) *out << (ch == '\t' ? std::string("\\t") : std::string(1, ch));
  *out << ']';
}

class UnsignedParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(UnsignedParse, ReadsTheOperatorsNumberOrRefusesIt) {
  EXPECT_EQ(parseUnsigned(GetParam().text), GetParam().read) << '"' << GetParam().text << '"';
}

constexpr std::nullopt_t kRefused = std::nullopt;
INSTANTIATE_TEST_SUITE_P(
    Table, UnsignedParse,
    ::testing::Values(ParseCase{" 42\t", 42u}, ParseCase{"+5", 5u}, ParseCase{"0", 0u},
                      ParseCase{"00", 0u}, ParseCase{"\t007 ", 7u}, ParseCase{"", kRefused},
                      ParseCase{" \t", kRefused}, ParseCase{"-0", kRefused},
                      ParseCase{" -5", kRefused}, ParseCase{"4 2", kRefused},
                      ParseCase{"0x10", kRefused}, ParseCase{"12a", kRefused},
                      ParseCase{"+", kRefused}, ParseCase{"+0", kRefused},  // no digit 0 first
                      ParseCase{"4294967295", 4294967295u},
                      ParseCase{"4294967296", 4294967295u},  // saturates, never wraps
                      ParseCase{"99999999999999999999", 4294967295u},
                      ParseCase{"4294967296x", kRefused}));

}  // namespace
}  // namespace orvane
