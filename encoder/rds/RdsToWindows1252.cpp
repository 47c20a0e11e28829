#include "RdsToWindows1252.h"

#include <array>

#include "RdsCharset.h"

namespace orvane {
namespace {

constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr std::uint8_t kDelete = 0x7F;

// Built from the forward table, lowest Windows-1252 byte first, so that where several characters
// share a look-alike the plain ASCII one is what comes back ("'" rather than "‘").
std::array<char, 256> makeTable() {
  std::array<char, 256> table;
  table.fill('?');
  std::array<bool, 256> taken{};
  for (unsigned b = kFirstPrintable; b < table.size(); ++b) {
    if (b == kDelete) continue;
    const std::uint8_t code = rdsCharacter(static_cast<char>(b));
    if (taken[code]) continue;
    taken[code] = true;
    table[code] = static_cast<char>(b);
  }
  for (unsigned code = 0; code < kFirstPrintable; ++code) table[code] = ' ';
  return table;
}

}  // namespace

char windows1252FromRds(std::uint8_t code) {
  static const std::array<char, 256> table = makeTable();
  return table[code];
}

std::string windows1252FromRdsText(std::string_view rds) {
  std::string text(rds.size(), ' ');
  for (std::size_t i = 0; i < rds.size(); ++i) {
    text[i] = windows1252FromRds(static_cast<std::uint8_t>(rds[i]));
  }
  return text;
}

}  // namespace orvane
