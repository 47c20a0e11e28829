#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

// One RDS group: four 16-bit information words, block A first (always the PI code).
struct RdsGroup {
  std::array<std::uint16_t, 4> blocks{};
  bool operator==(const RdsGroup&) const = default;
};

inline constexpr int kBitsPerBlock = 26;
inline constexpr int kBitsPerGroup = 4 * kBitsPerBlock;

// The group's four blocks as they go on air, 26 bits each with checkword and offset. Version B
// groups (bit 11 of block B) take offset C' in their third block.
[[nodiscard]] std::array<std::uint32_t, 4> encodeGroup(const RdsGroup& group);

// "PPPP BBBB CCCC DDDD": the plain-text group format that RDS tools read and write.
[[nodiscard]] std::string hexLine(const RdsGroup& group);

// The same line into `out`, which must have room for kHexLineLength characters: --groups writes
// hundreds of thousands of lines a second this way, straight into its output buffer.
inline constexpr std::size_t kHexLineLength = 19;
void writeHexLine(const RdsGroup& group, char* out);

}  // namespace orvane
