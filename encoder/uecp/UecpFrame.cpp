#include "UecpFrame.h"

#include <array>

#include "UecpCrc.h"

namespace orvane {
namespace {

void appendStuffed(std::string& out, std::uint8_t byte) {
  if (byte >= kUecpEscape) {
    out.push_back(static_cast<char>(kUecpEscape));
    out.push_back(static_cast<char>(byte - kUecpEscape));
  } else {
    out.push_back(static_cast<char>(byte));
  }
}

}  // namespace

bool appendUecpFrame(std::string& out, const UecpFrame& frame) {
  if (frame.message.size() > kMaxUecpMessage) return false;
  const unsigned address = (frame.address.site & UecpAddress::kMaxSite) << 6 |
                           (frame.address.encoder & UecpAddress::kMaxEncoder);
  // On the stack: frames are made by the thousand, and the largest is small.
  std::array<char, kMaxUecpFrameBody> body;
  std::size_t size = 0;
  body[size++] = static_cast<char>(address >> 8);
  body[size++] = static_cast<char>(address & 0xFF);
  body[size++] = static_cast<char>(frame.sequence);
  body[size++] = static_cast<char>(frame.message.size());
  for (char c : frame.message) body[size++] = c;
  const std::uint16_t crc = uecpCrc({body.data(), size});
  body[size++] = static_cast<char>(crc >> 8);
  body[size++] = static_cast<char>(crc & 0xFF);

  out.push_back(static_cast<char>(kUecpStart));
  for (std::size_t i = 0; i < size; ++i) appendStuffed(out, static_cast<std::uint8_t>(body[i]));
  out.push_back(static_cast<char>(kUecpStop));
  return true;
}

}  // namespace orvane
