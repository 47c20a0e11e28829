#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

inline constexpr std::uint8_t kUecpStart = 0xFE;  // STA
inline constexpr std::uint8_t kUecpStop = 0xFF;   // STP
// Inside a frame 0xFD, 0xFE and 0xFF are sent as 0xFD followed by 0x00, 0x01 or 0x02, so that
// the start and stop bytes are never ambiguous.
inline constexpr std::uint8_t kUecpEscape = 0xFD;
inline constexpr std::size_t kMaxUecpMessage = 255;  // MFL is one byte
// Address, sequence counter, MFL, message and CRC, before stuffing: the most a frame can hold.
inline constexpr std::size_t kMaxUecpFrameBody = 2 + 1 + 1 + kMaxUecpMessage + 2;

// Whom a frame is for: a 10-bit site address and a 6-bit encoder address, 0 meaning every site
// or every encoder.
struct UecpAddress {
  static constexpr std::uint16_t kMaxSite = 0x3FF;
  static constexpr std::uint8_t kMaxEncoder = 0x3F;

  std::uint16_t site = 0;
  std::uint8_t encoder = 0;

  // True when a frame addressed to `to` is for the encoder at this address. An encoder with no
  // address of its own (0) takes frames for any.
  [[nodiscard]] bool accepts(const UecpAddress& to) const {
    return (to.site == 0 || site == 0 || to.site == site) &&
           (to.encoder == 0 || encoder == 0 || to.encoder == encoder);
  }
  bool operator==(const UecpAddress&) const = default;
};

// One frame: its address, its sequence counter (0: not used) and its message field, one or more
// message elements.
struct UecpFrame {
  UecpAddress address;
  std::uint8_t sequence = 0;
  std::string message;
};

// Appends the frame as it goes on the line: STA, the stuffed body with its CRC, STP. False, and
// nothing appended, for a message longer than MFL can say.
bool appendUecpFrame(std::string& out, const UecpFrame& frame);
// The same for a message held elsewhere, which a frame of its own would copy.
bool appendUecpFrame(std::string& out, UecpAddress to, std::uint8_t sequence,
                     std::string_view message);

}  // namespace orvane
