#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "EncoderLink.h"

namespace orvane::test {

// A socket that never touches the network: it keeps what was sent and replays scripted
// receives.
class FakeEncoderLink : public EncoderLink {
 public:
  bool create() override {
    open = createResult;
    return createResult;
  }
  bool connect(const std::string& address, unsigned port) override {
    connectedAddress = address;
    connectedPort = port;
    return connectResult;
  }
  long send(const char* data, std::size_t length) override {
    if (!open) return -1;
    sent.emplace_back(data, length);
    return static_cast<long>(length);
  }
  // Takes up to `capacity` bytes from the front chunk; no chunk left gives -1.
  long receive(char* buffer, std::size_t capacity) override {
    if (incoming.empty()) return -1;
    std::string& chunk = incoming.front();
    const std::size_t count = std::min(capacity, chunk.size());
    std::memcpy(buffer, chunk.data(), count);
    chunk.erase(0, count);
    if (chunk.empty()) incoming.pop_front();
    return static_cast<long>(count);
  }
  void close() override { open = false; }
  void setReceivePaused(bool) override {}

  std::vector<std::string> sent;  // the bytes of every send, one entry per call
  bool createResult = true;
  bool connectResult = true;
  bool open = false;
  std::string connectedAddress;
  unsigned connectedPort = 0;
  std::deque<std::string> incoming;
};

}  // namespace orvane::test
