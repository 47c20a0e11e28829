#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// The console's view of its socket. The Qt build implements it with the framework's asynchronous
// socket; tests use a fake. Results are returned as the socket layer gives them; the console
// mostly does not look at them, since the tick's pacing is its only flow control.
class EncoderLink {
 public:
  virtual ~EncoderLink() = default;

  // Opens a stream socket bound to any local port, with every network event requested.
  virtual bool create() = 0;
  // Starts a non-blocking connect; the outcome arrives later as a connect-complete event.
  // False when the attempt could not even start: then no event follows.
  virtual bool connect(const std::string& host, unsigned port) = 0;
  // One send; the number of bytes accepted, or -1.
  virtual long send(const char* data, std::size_t length) = 0;
  // One receive of at most `capacity` bytes; the count, 0 when the peer closed, or -1.
  virtual long receive(char* buffer, std::size_t capacity) = 0;
  // Closes the socket; nothing arrives for it afterwards. Does nothing without a socket.
  virtual void close() = 0;
  // Stops or resumes data-readable events; data keeps waiting in the socket meanwhile, and the
  // peer's close is reported only after it has been read.
  virtual void setReceivePaused(bool paused) = 0;
};

}  // namespace orvane
