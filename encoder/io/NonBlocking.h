#pragma once

#include <sys/socket.h>

#include <cerrno>

namespace orvane {

// Sends never wait, and a peer that has gone shows as a failed send rather than as SIGPIPE.
inline constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;

// After a failed read or write on a non-blocking descriptor: nothing was lost, the call only came
// too early (or a signal came first), and the poll loop tries again when the descriptor is ready.
[[nodiscard]] inline bool wouldBlock() {
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

}  // namespace orvane
