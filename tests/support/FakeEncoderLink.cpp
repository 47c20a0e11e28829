#include "FakeEncoderLink.h"

#include <algorithm>
#include <cstring>

namespace orvane::test {

bool FakeEncoderLink::create() {
  ++creates;
  open = createResult;
  return createResult;
}

bool FakeEncoderLink::connect(const std::string& host, unsigned port) {
  connectedHost = host;
  connectedPort = port;
  return connectResult;
}

long FakeEncoderLink::send(const char* data, std::size_t length) {
  if (!open) return -1;
  sent.emplace_back(data, length);
  return static_cast<long>(length);
}

long FakeEncoderLink::receive(char* buffer, std::size_t capacity) {
  if (incoming.empty()) return -1;
  std::string& chunk = incoming.front();
  const std::size_t count = std::min(capacity, chunk.size());
  std::memcpy(buffer, chunk.data(), count);
  chunk.erase(0, count);
  if (chunk.empty()) incoming.pop_front();
  return static_cast<long>(count);
}

void FakeEncoderLink::close() {
  ++closes;
  open = false;
}

}  // namespace orvane::test
