#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// Tells systemd how the service is doing: ready once every door is open, alive from the loop
// (so that a loop that hangs is restarted), and a one-line status for "systemctl status". Outside
// systemd every call does nothing.
class ServiceNotifier {
 public:
  ServiceNotifier();

  void ready();
  // The loop calls this on every turn; it is sent at half the watchdog's interval.
  void alive(std::int64_t monotonicMicros);
  // Sent only when it differs from the last one.
  void status(std::string_view line);

  // The time between two signs of life that systemd expects; 0 without a watchdog.
  [[nodiscard]] std::int64_t watchdogMicros() const { return watchdogMicros_; }

 private:
  std::int64_t watchdogMicros_ = 0;
  std::int64_t lastAlive_ = 0;
  std::string status_;
};

}  // namespace orvane
