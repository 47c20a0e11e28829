#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct MHD_Connection;

namespace orvane {

// The open answers of the HTTP door that never end: server-sent events. Each stream is a
// connection whose reply is written as events come; while it has nothing to send, it is
// suspended, so that a thousand idle watchers cost no turn of the loop. A watcher that does not
// read is cut off when kMaxBacklogBytes wait for it, rather than making the encoder keep
// everything it was sent.
class HttpEventStreams {
 public:
  static constexpr std::size_t kMaxBacklogBytes = 256 * 1024;

  HttpEventStreams(std::size_t maxStreams, std::size_t maxPerPeer)
      : maxStreams_(maxStreams), maxPerPeer_(maxPerPeer) {}
  ~HttpEventStreams();
  HttpEventStreams(const HttpEventStreams&) = delete;
  HttpEventStreams& operator=(const HttpEventStreams&) = delete;

  // Whether one more stream of `peer` would be within both bounds.
  [[nodiscard]] bool room(const std::string& peer) const;
  // Answers `connection` of `peer` with a stream that starts with `opening`. False, with
  // nothing queued, when there is no room or no memory for the reply.
  [[nodiscard]] bool open(MHD_Connection* connection, const std::string& peer, std::string opening);

  // Sends `bytes` (whole events) to every stream.
  void publish(std::string_view bytes);

  // Ends every stream and lets its connection go: the daemon must not stop with one suspended.
  void closeAll();

  [[nodiscard]] std::size_t count() const { return streams_.size(); }
  // Streams were woken since the last call: the daemon must run again soon.
  [[nodiscard]] bool takeWoken() { return std::exchange(woken_, false); }

 private:
  struct Stream;

  static ssize_t read(void* stream, std::uint64_t position, char* buffer, std::size_t max);
  static void release(void* stream);
  void wake(Stream& stream);

  std::size_t maxStreams_;
  std::size_t maxPerPeer_;
  std::vector<Stream*> streams_;  // owned by their replies, which free them
  bool woken_ = false;
};

}  // namespace orvane
