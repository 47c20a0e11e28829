#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "UecpFrame.h"

namespace orvane {

// Frames out of a byte stream that may hold anything: split across reads, cut short, damaged,
// or no frames at all. Only a frame that arrives whole, correctly stuffed, with the length it
// announces and the right CRC comes out as a frame; anything else comes out as one fault and is
// dropped. Bytes outside frames are skipped without being kept, and a frame is held only up to
// the largest a frame can be, so memory stays the same whatever arrives.
class UecpFrameDecoder {
 public:
  enum class Fault {
    BadCrc,
    BadStuffing,  // 0xFD followed by anything but 0x00, 0x01, 0x02
    BadLength,    // MFL not the length of the message that came
    TooLong,      // no stop byte where the longest frame would have ended
    Incomplete,   // a new start byte before this frame's stop byte
  };

  struct Event {
    bool isFrame = false;
    UecpFrame frame;                     // when isFrame
    Fault fault{};                       // otherwise
    std::uint8_t sequence{};             // of a fault: the sequence counter as it came, if it did
    std::optional<UecpAddress> address;  // of a fault: the address as it came, if it did
  };

  // Appends to `events` what the bytes completed, in order.
  void feed(std::string_view bytes, std::vector<Event>& events);

  // True while a frame has begun and not yet ended.
  [[nodiscard]] bool midFrame() const { return state_ != State::Outside; }

 private:
  enum class State { Outside, Inside, Escaped, Discarding };

  void take(std::uint8_t byte, std::vector<Event>& events);
  void append(std::uint8_t byte, std::vector<Event>& events);
  void finish(std::vector<Event>& events);
  void fail(Fault fault, std::vector<Event>& events);
  [[nodiscard]] UecpAddress address() const;

  State state_ = State::Outside;
  std::array<char, kMaxUecpFrameBody> body_{};
  std::size_t size_ = 0;
};

}  // namespace orvane
