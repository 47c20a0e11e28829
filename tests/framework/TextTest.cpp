#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <tuple>

#include "Cp1252Text.h"
#include "EditValidator.h"
#include "UnsignedParse.h"

namespace orvane {
namespace {

TEST(UnsignedParse, ReadsTheOperatorsNumberOrRefusesIt) {
  // Big numbers saturate, never wrap.
  const std::pair<std::string_view, std::uint32_t> numbers[] = {
      {" 42\t", 42},
      {"+5", 5},
      {"0", 0},
      {"00", 0},
      {"\t007 ", 7},
      {"4294967295", 4294967295u},
      {"4294967296", 4294967295u},
      {"99999999999999999999", 4294967295u}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(parseUnsigned(text), value) << text;
  // A zero counts only when the text starts with it: "+0" has no digit to show for it.
  for (const std::string_view text :
       {"", " \t", "-0", " -5", "4 2", "0x10", "12a", "+", "+0", "4294967296x"}) {
    EXPECT_EQ(parseUnsigned(text), std::nullopt) << '"' << text << '"';
  }
}

// What is left of the operator's key or paste (the cursor at the end of `proposed`).
TEST(OperatorInput, KeepsOnlyWhatTheEditAllows) {
  const std::tuple<QString, QString, int, bool, QString> table[] = {
      {"", QString::fromUtf8("ção€"), 0, false, QString::fromUtf8("ção€")},
      {"a", QString::fromUtf8("a∞😀b"), 0, false, "ab"},  // outside the code page
      {"", "a\nb", 0, false, "ab"},
      {"1", "1a2", 0, true, "12"},
      {"abcd", "abcde", 4, false, "abcd"},
      {"ab", "abXYZ", 4, false, "abXY"},  // a paste, cut to fit
      {"ad", "abcd", 3, false, "abd"},    // in the middle
      // text the program wrote beyond the limit may shrink, not grow
      {"abcdef", "abcde", 4, false, "abcde"},
      {"abcdef", "abcdefg", 4, false, "abcdef"}};
  for (const auto& [before, proposed, limit, digitsOnly, kept] : table) {
    const auto change = EditValidator::filterOperatorChange(
        before, proposed, static_cast<int>(proposed.size()), limit, digitsOnly);
    EXPECT_EQ(change.text, kept) << before.toStdString() << " to " << proposed.toStdString();
  }
}

TEST(Cp1252Text, ConvertsAtTheQtBoundaryWithoutLosingBytes) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(cp1252FromQString(qStringFromCp1252(all)), all);
  EXPECT_EQ(qStringFromCp1252("Informa\xE7\xE3o \x80"), QString::fromUtf8("Informação €"));
  EXPECT_EQ(cp1252FromQString(QString::fromUtf8("a∞")), "a?");
}

}  // namespace
}  // namespace orvane
