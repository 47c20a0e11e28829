#pragma once

#include <cstdint>
#include <string_view>

namespace orvane {

// The check UECP puts on every frame: CRC-16 with the CCITT polynomial 0x1021, started at 0xFFFF
// and inverted at the end, over the frame's bytes from the address to the last message byte
// before byte stuffing. Table-driven, since every frame sent and received passes through it.
[[nodiscard]] std::uint16_t uecpCrc(std::string_view bytes);

}  // namespace orvane
