#include "UecpFrame.h"

#include <array>
#include <cstring>

#include "UecpCrc.h"

namespace orvane {
namespace {

// Every byte of the body may need two on the line, and STA and STP come around it.
constexpr std::size_t kMaxUecpFrameOnLine = 2 * kMaxUecpFrameBody + 2;

}  // namespace

bool appendUecpFrame(std::string& out, const UecpFrame& frame) {
  return appendUecpFrame(out, frame.address, frame.sequence, frame.message);
}

[[gnu::hot]] bool appendUecpFrame(std::string& out, UecpAddress to, std::uint8_t sequence,
                                  std::string_view message) {
  if (message.size() > kMaxUecpMessage) return false;
  const unsigned address =
      (to.site & UecpAddress::kMaxSite) << 6 | (to.encoder & UecpAddress::kMaxEncoder);
  // On the stack and appended once: frames are made by the thousand, a command's frame is on its
  // way to the peers while the command waits, and the largest is small.
  std::array<char, kMaxUecpFrameBody> body;
  std::size_t size = 0;
  body[size++] = static_cast<char>(address >> 8);
  body[size++] = static_cast<char>(address & 0xFF);
  body[size++] = static_cast<char>(sequence);
  body[size++] = static_cast<char>(message.size());
  std::memcpy(body.data() + size, message.data(), message.size());
  size += message.size();
  const std::uint16_t crc = uecpCrc({body.data(), size});
  body[size++] = static_cast<char>(crc >> 8);
  body[size++] = static_cast<char>(crc & 0xFF);

  std::array<char, kMaxUecpFrameOnLine> line;
  std::size_t length = 0;
  line[length++] = static_cast<char>(kUecpStart);
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<std::uint8_t>(body[i]);
    if (byte >= kUecpEscape) {
      line[length++] = static_cast<char>(kUecpEscape);
      line[length++] = static_cast<char>(byte - kUecpEscape);
    } else {
      line[length++] = static_cast<char>(byte);
    }
  }
  line[length++] = static_cast<char>(kUecpStop);
  out.append(line.data(), length);
  return true;
}

}  // namespace orvane
