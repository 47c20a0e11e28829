#include "LineBuffer.h"

#include <algorithm>
#include <cstring>

namespace orvane {

void storeLine(std::array<char, kLineBufferSize>& buffer, std::string_view text) {
  const std::size_t length = std::min(text.size(), kLineCapacity);
  std::memcpy(buffer.data(), text.data(), length);
  buffer[length] = '\0';
}

std::string_view lineText(const std::array<char, kLineBufferSize>& buffer) {
  return {buffer.data(), strnlen(buffer.data(), buffer.size())};
}

}  // namespace orvane
