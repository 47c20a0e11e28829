#include <gtest/gtest.h>

#include "Cp1252Text.h"
#include "EditValidator.h"

namespace orvane {
namespace {

struct FilterCase {
  QString before;
  QString proposed;  // the text after the operator's key or paste, cursor at its end
  int limit;
  bool digitsOnly;
  QString kept;
};

void PrintTo(const FilterCase& c, std::ostream* out) {
  const QString proposed = QString(c.proposed).replace('\n', "\\n");
  *out << '[' << c.before.toStdString() << " to " << proposed.toStdString() << ']';
}

class OperatorInput : public ::testing::TestWithParam<FilterCase> {};

TEST_P(OperatorInput, KeepsOnlyWhatTheEditAllows) {
  const FilterCase& c = GetParam();
  const auto change = EditValidator::filterOperatorChange(
      c.before, c.proposed, static_cast<int>(c.proposed.size()), c.limit, c.digitsOnly);
  EXPECT_EQ(change.text, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OperatorInput,
    ::testing::Values(
        FilterCase{"", QString::fromUtf8("ção€"), 0, false, QString::fromUtf8("ção€")},
        FilterCase{"a", QString::fromUtf8("a∞😀b"), 0, false, "ab"},  // outside the code page
        FilterCase{"", "a\nb", 0, false, "ab"}, FilterCase{"1", "1a2", 0, true, "12"},
        FilterCase{"abcd", "abcde", 4, false, "abcd"},
        FilterCase{"ab", "abXYZ", 4, false, "abXY"},  // a paste, cut to fit
        FilterCase{"ad", "abcd", 3, false, "abd"},    // in the middle
        // text the program wrote beyond the limit may shrink, not grow
        FilterCase{"abcdef", "abcde", 4, false, "abcde"},
        FilterCase{"abcdef", "abcdefg", 4, false, "abcdef"}));

TEST(Cp1252Text, ConvertsAtTheQtBoundaryWithoutLosingBytes) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(cp1252FromQString(qStringFromCp1252(all)), all);
  EXPECT_EQ(qStringFromCp1252("Informa\xE7\xE3o \x80"), QString::fromUtf8("Informação €"));
  EXPECT_EQ(cp1252FromQString(QString::fromUtf8("a∞")), "a?");
}

}  // namespace
}  // namespace orvane
