#pragma once

#include <signal.h>

#include <QSocketNotifier>
#include <array>
#include <functional>
#include <memory>

namespace orvane {

// The signals the console meets while its window runs. A desktop logout (SIGTERM) or a closed
// terminal (SIGHUP) asks it to end; their default action would end it on the spot, the encoder
// connection dropped unclosed. They come as a call on the user-interface thread instead, through
// a pipe the event loop watches. SIGXFSZ is ignored, so that a save that passes the file-size
// limit fails as a save (the operator is told, the temporary file removed) instead of killing
// the console with the operator's edits. One object at a time; the old actions come back when
// it goes.
class ConsoleSignals {
 public:
  explicit ConsoleSignals(std::function<void()> onEnd);
  ~ConsoleSignals();
  ConsoleSignals(const ConsoleSignals&) = delete;
  ConsoleSignals& operator=(const ConsoleSignals&) = delete;

 private:
  void delivered();

  std::function<void()> onEnd_;
  int readEnd_ = -1;
  int writeEnd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::array<struct sigaction, 3> previous_{};  // of SIGXFSZ, SIGTERM, SIGHUP
};

}  // namespace orvane
