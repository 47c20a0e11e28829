#include "UecpFrameDecoder.h"

#include "UecpCrc.h"

namespace orvane {
namespace {

constexpr std::size_t kHeaderSize = 4;  // address (2), sequence counter, MFL
constexpr std::size_t kCrcSize = 2;
constexpr std::size_t kAddressSize = 2;
constexpr std::size_t kSequenceAt = 2;
constexpr std::size_t kLengthAt = 3;
constexpr std::uint8_t kLastEscaped = 0x02;  // 0xFD 0x02 stands for 0xFF

std::uint8_t byteAt(const std::array<char, kMaxUecpFrameBody>& body, std::size_t i) {
  return static_cast<std::uint8_t>(body[i]);
}

}  // namespace

void UecpFrameDecoder::feed(std::string_view bytes, std::vector<Event>& events) {
  for (char c : bytes) take(static_cast<std::uint8_t>(c), events);
}

// A start byte always begins a frame, even inside one: a sender that lost its place starts over,
// and the receiver must follow it rather than wait for a stop byte that belongs to nothing.
void UecpFrameDecoder::take(std::uint8_t byte, std::vector<Event>& events) {
  if (byte == kUecpStart) {
    if (state_ == State::Inside || state_ == State::Escaped) fail(Fault::Incomplete, events);
    state_ = State::Inside;
    size_ = 0;
    return;
  }
  switch (state_) {
    case State::Outside:
      return;
    case State::Discarding:
      if (byte == kUecpStop) state_ = State::Outside;
      return;
    case State::Escaped:
      if (byte > kLastEscaped) {
        fail(Fault::BadStuffing, events);
        state_ = byte == kUecpStop ? State::Outside : State::Discarding;
        return;
      }
      state_ = State::Inside;
      append(static_cast<std::uint8_t>(kUecpEscape + byte), events);
      return;
    case State::Inside:
      if (byte == kUecpStop) {
        finish(events);
      } else if (byte == kUecpEscape) {
        state_ = State::Escaped;
      } else {
        append(byte, events);
      }
      return;
  }
}

void UecpFrameDecoder::append(std::uint8_t byte, std::vector<Event>& events) {
  if (size_ == body_.size()) {
    fail(Fault::TooLong, events);
    state_ = State::Discarding;
    return;
  }
  body_[size_++] = static_cast<char>(byte);
}

void UecpFrameDecoder::finish(std::vector<Event>& events) {
  state_ = State::Outside;
  if (size_ < kHeaderSize + kCrcSize ||
      byteAt(body_, kLengthAt) != size_ - kHeaderSize - kCrcSize) {
    fail(Fault::BadLength, events);
    return;
  }
  const std::size_t crcAt = size_ - kCrcSize;
  const auto sent =
      static_cast<std::uint16_t>(byteAt(body_, crcAt) << 8 | byteAt(body_, crcAt + 1));
  if (uecpCrc({body_.data(), crcAt}) != sent) {
    fail(Fault::BadCrc, events);
    return;
  }
  Event& event = events.emplace_back();
  event.isFrame = true;
  event.frame.address = address();
  event.frame.sequence = byteAt(body_, kSequenceAt);
  event.frame.message.assign(body_.data() + kHeaderSize, crcAt - kHeaderSize);
}

void UecpFrameDecoder::fail(Fault fault, std::vector<Event>& events) {
  Event& event = events.emplace_back();
  event.fault = fault;
  event.sequence = size_ > kSequenceAt ? byteAt(body_, kSequenceAt) : 0;
  if (size_ >= kAddressSize) event.address = address();
}

UecpAddress UecpFrameDecoder::address() const {
  const unsigned both = byteAt(body_, 0) << 8 | byteAt(body_, 1);
  return {static_cast<std::uint16_t>(both >> 6),
          static_cast<std::uint8_t>(both & UecpAddress::kMaxEncoder)};
}

}  // namespace orvane
