// Arbitrary bytes as RDSTXT.TXT: loading and looking up must neither crash nor read outside the
// line, every order number must read as sscanf's "%d" reads it, and each lookup must find the
// first loaded entry with its number, or nothing and leave its outputs alone.
#include <array>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "FuzzExpect.h"
#include "ScanNumbers.h"
#include "TextListFile.h"

using orvane::fuzz::expect;

namespace {

using namespace orvane;

class Rows : public TextListRows {
 public:
  std::size_t rowCount() const override { return rows.size(); }
  std::string cell(std::size_t row, int column) const override {
    return rows[row][static_cast<std::size_t>(column)];
  }
  void appendRow(const std::string& order, const std::string& text,
                 const std::string& dwell) override {
    rows.push_back({order, text, dwell});
  }
  std::vector<std::array<std::string, 3>> rows;
};

std::optional<std::int32_t> orderOf(const std::string& field) {
  int number = 0;
  const bool found = std::sscanf(field.c_str(), "%d", &number) == 1;
  const auto scanned = scanDecimal(field);
  expect(scanned == (found ? std::optional<std::int32_t>(number) : std::nullopt));
  return scanned;
}

const std::array<std::string, 3>* firstWithOrder(const Rows& rows, std::int32_t number) {
  for (const auto& row : rows.rows) {
    if (orderOf(row[kOrderColumn]) == number) return &row;
  }
  return nullptr;
}

void checkLookup(std::string_view bytes, const Rows& rows, std::int32_t number) {
  std::string text = "untouched";
  std::int32_t dwell = -12345;
  LineReader lines(bytes);
  const bool found = readListEntryFrom(lines, number, text, dwell);
  const auto* expected = firstWithOrder(rows, number);
  expect(found == (expected != nullptr));
  if (!found) expect(text == "untouched" && dwell == -12345);
  if (found) {
    expect(text == (*expected)[kTextColumn]);
    expect(dwell == scanDecimal((*expected)[kDwellColumn]).value_or(0));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Rows rows;
  LineReader lines(bytes);
  loadTextListFrom(lines, rows);

  std::set<std::int32_t> numbers;
  for (std::size_t i = 0; i < rows.rows.size(); ++i) {
    for (const auto& field : rows.rows[i]) expect(field.size() < kLineBufferSize);
    const auto number = orderOf(rows.rows[i][kOrderColumn]);
    if (!number) continue;
    numbers.insert(*number);
    if (i < 8) checkLookup(bytes, rows, *number);
  }
  std::int32_t absent = 1000;
  while (numbers.contains(absent)) ++absent;
  checkLookup(bytes, rows, absent);
  return 0;
}
