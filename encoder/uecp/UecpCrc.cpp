#include "UecpCrc.h"

#include <array>

namespace orvane {
namespace {

constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::uint16_t kStart = 0xFFFF;

// The register's next value for each byte shifted into its top: one table look-up per byte
// instead of eight shifts.
constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    auto reg = static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      reg = static_cast<std::uint16_t>((reg & 0x8000) != 0 ? (reg << 1) ^ kPolynomial : reg << 1);
    }
    table[byte] = reg;
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

}  // namespace

[[gnu::hot]] std::uint16_t uecpCrc(std::string_view bytes) {
  std::uint16_t reg = kStart;
  for (char c : bytes) {
    const auto index = static_cast<std::uint8_t>((reg >> 8) ^ static_cast<std::uint8_t>(c));
    reg = static_cast<std::uint16_t>((reg << 8) ^ kTable[index]);
  }
  return static_cast<std::uint16_t>(~reg);
}

}  // namespace orvane
