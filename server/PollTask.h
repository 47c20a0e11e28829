#pragma once

#include <poll.h>

#include <array>

namespace orvane {

// Work the server's poll loop does beside the console, such as writing the signal: what it waits
// for before its next turn, and the turn itself.
class PollTask {
 public:
  struct Wait {
    std::array<pollfd, 2> fds{{{-1, 0, 0}, {-1, 0, 0}}};  // unused entries stay at -1
    int timeoutMs = -1;                                   // -1: no deadline
  };

  virtual ~PollTask() = default;

  [[nodiscard]] virtual Wait wait() = 0;
  // Runs after every wake-up of the loop, whatever woke it. False when the task is over, which
  // ends the loop.
  virtual bool service() = 0;
};

}  // namespace orvane
