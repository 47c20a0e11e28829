#include "RdsGroup.h"

#include <cstdio>

#include "Checkword.h"

namespace orvane {

std::array<std::uint32_t, 4> encodeGroup(const RdsGroup& group) {
  const bool versionB = (group.blocks[1] & 0x0800) != 0;
  return {encodeBlock(group.blocks[0], Offset::A), encodeBlock(group.blocks[1], Offset::B),
          encodeBlock(group.blocks[2], versionB ? Offset::CPrime : Offset::C),
          encodeBlock(group.blocks[3], Offset::D)};
}

std::string hexLine(const RdsGroup& group) {
  char line[24];
  std::snprintf(line, sizeof line, "%04X %04X %04X %04X", unsigned{group.blocks[0]},
                unsigned{group.blocks[1]}, unsigned{group.blocks[2]}, unsigned{group.blocks[3]});
  return line;
}

}  // namespace orvane
