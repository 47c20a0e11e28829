#include "Checkword.h"

#include <array>

namespace orvane {
namespace {

constexpr std::uint32_t kGenerator = 0x5B9;  // x^10+x^8+x^7+x^5+x^4+x^3+1

constexpr std::uint16_t remainder(std::uint16_t information) {
  std::uint32_t r = std::uint32_t{information} << 10;
  for (int bit = 25; bit >= 10; --bit) {
    if ((r >> bit) & 1U) r ^= kGenerator << (bit - 10);
  }
  return static_cast<std::uint16_t>(r);
}

// The remainder is linear in the information word, so two byte tables cover all 65536 words;
// the multiplex generator asks for four blocks per group, many thousand groups a second.
template <int Shift>
constexpr std::array<std::uint16_t, 256> byteTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) table[b] = remainder(static_cast<std::uint16_t>(b << Shift));
  return table;
}

constexpr auto kHighByte = byteTable<8>();
constexpr auto kLowByte = byteTable<0>();

}  // namespace

std::uint16_t offsetWord(Offset offset) {
  constexpr std::array<std::uint16_t, 5> kWords = {0x0FC, 0x198, 0x168, 0x350, 0x1B4};
  return kWords[static_cast<std::size_t>(offset)];
}

std::uint16_t checkword(std::uint16_t information, Offset offset) {
  return static_cast<std::uint16_t>(kHighByte[information >> 8] ^ kLowByte[information & 0xFF] ^
                                    offsetWord(offset));
}

std::uint32_t encodeBlock(std::uint16_t information, Offset offset) {
  return (std::uint32_t{information} << 10) | checkword(information, offset);
}

}  // namespace orvane
