#pragma once

#include <string>
#include <utility>

namespace orvane::test {

// The far end of a test connection in blocking POSIX calls with timeouts, needing no event
// loop of its own.
class PeerConnection {
 public:
  explicit PeerConnection(int fd = -1) : fd_(fd) {}
  PeerConnection(PeerConnection&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  PeerConnection& operator=(PeerConnection&&) = delete;
  ~PeerConnection() { close(); }

  void send(const std::string& bytes);
  std::string receive(std::size_t expected);  // what arrives within five seconds
  void close();
  void reset();  // closes with a reset instead of an orderly close

 private:
  int fd_;
};

// A socket listening on a free loopback port.
struct LoopbackListener {
  LoopbackListener();
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;
  PeerConnection accept();
  int fd = -1;
  unsigned port = 0;
};

unsigned closedLoopbackPort();  // a port on which nothing listens
bool waitReadable(int fd);      // within five seconds

}  // namespace orvane::test
