#pragma once

#include <deque>
#include <string>
#include <vector>

#include "EncoderLink.h"

namespace orvane::test {

// A socket that never touches the network: it keeps what was sent and replays scripted
// receives.
class FakeEncoderLink : public EncoderLink {
 public:
  bool create() override;
  bool connect(const std::string& host, unsigned port) override;
  long send(const char* data, std::size_t length) override;
  long receive(char* buffer, std::size_t capacity) override;
  void close() override;
  void setReceivePaused(bool paused) override { receivePaused = paused; }

  // The bytes of every send, one entry per call.
  std::vector<std::string> sent;
  bool createResult = true;
  bool connectResult = true;
  int creates = 0;
  int closes = 0;
  bool open = false;
  std::string connectedHost;
  unsigned connectedPort = 0;
  bool receivePaused = false;
  // Each receive takes up to `capacity` bytes from the front chunk; an empty deque gives -1.
  std::deque<std::string> incoming;
};

}  // namespace orvane::test
