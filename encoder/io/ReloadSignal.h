#pragma once

#include <functional>

#include "FileDescriptor.h"
#include "PollTask.h"

namespace orvane {

// SIGHUP as a task of the poll loop, read from a signalfd: the reload runs in a turn of the loop
// like any other event, between two groups, never inside a handler. Without it SIGHUP would end
// the service, which is what systemd's reload would then do to a station. One per process.
class ReloadSignal : public PollTask {
 public:
  explicit ReloadSignal(std::function<void()> reload);
  ~ReloadSignal() override;
  ReloadSignal(const ReloadSignal&) = delete;
  ReloadSignal& operator=(const ReloadSignal&) = delete;

  [[nodiscard]] bool valid() const { return fd_.valid(); }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  std::function<void()> reload_;
  FileDescriptor fd_;
};

}  // namespace orvane
