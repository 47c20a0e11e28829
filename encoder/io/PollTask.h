#pragma once

#include <poll.h>

#include <span>
#include <vector>

namespace orvane {

// Work the server's poll loop does beside the console, such as writing the signal or talking to
// UECP peers: what it waits for before its next turn, and the turn itself.
class PollTask {
 public:
  struct Wait {
    std::vector<pollfd> fds;
    int timeoutMs = -1;  // -1: no deadline
  };

  virtual ~PollTask() = default;

  [[nodiscard]] virtual Wait wait() = 0;
  // Runs after every wake-up of the loop, whatever woke it, with the descriptors `wait()` gave
  // and what poll found on them. False when the task is over, which ends the loop.
  virtual bool service(std::span<const pollfd> polled) = 0;
};

}  // namespace orvane
