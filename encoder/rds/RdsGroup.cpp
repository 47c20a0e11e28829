#include "RdsGroup.h"

#include <string_view>

#include "Checkword.h"

namespace orvane {

std::array<std::uint32_t, 4> encodeGroup(const RdsGroup& group) {
  const bool versionB = (group.blocks[1] & 0x0800) != 0;
  return {encodeBlock(group.blocks[0], Offset::A), encodeBlock(group.blocks[1], Offset::B),
          encodeBlock(group.blocks[2], versionB ? Offset::CPrime : Offset::C),
          encodeBlock(group.blocks[3], Offset::D)};
}

std::string hexLine(const RdsGroup& group) {
  std::string line(kHexLineLength, ' ');
  writeHexLine(group, line.data());
  return line;
}

void writeHexLine(const RdsGroup& group, char* out) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  constexpr int kDigitsPerBlock = 4;
  for (std::size_t i = 0; i < group.blocks.size(); ++i) {
    if (i > 0) *out++ = ' ';
    for (int shift = 4 * (kDigitsPerBlock - 1); shift >= 0; shift -= 4) {
      *out++ = kDigits[(group.blocks[i] >> shift) & 0xFU];
    }
  }
}

}  // namespace orvane
