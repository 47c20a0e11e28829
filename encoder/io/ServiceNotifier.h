#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "FileDescriptor.h"

namespace orvane {

// Tells systemd how the service is doing: ready once every door is open, alive from the loop
// (so that a loop that hangs is restarted), and a one-line status for "systemctl status". Outside
// systemd every call does nothing.
//
// The notifications never block the loop: systemd's socket holds only a few datagrams, and a
// manager that is slow to read them (or a test that stops reading) would otherwise stop the air
// in the middle of a turn. What the socket does not take now is owed and sent again on a later
// turn, the newest status replacing an older one that never went.
class ServiceNotifier {
 public:
  // How soon the loop comes back for what is owed.
  static constexpr int kRetryMs = 50;

  ServiceNotifier();

  void ready();
  // A reload begins; ready() says it is over. systemd 253 and later want the time with it, on
  // CLOCK_MONOTONIC, to tell this reload from an older one.
  void reloading(std::int64_t monotonicMicros);
  // The loop calls this on every turn; it is sent at half the watchdog's interval.
  void alive(std::int64_t monotonicMicros);
  // Sent only when it differs from the last one.
  void status(std::string_view line);

  // The time between two signs of life that systemd expects; 0 without a watchdog.
  [[nodiscard]] std::int64_t watchdogMicros() const { return watchdogMicros_; }
  // Something systemd has not taken yet.
  [[nodiscard]] bool owing() const {
    return !reloading_.empty() || readyOwed_ || aliveOwed_ || statusOwed_;
  }

 private:
  bool send(std::string_view message);
  void sendOwed();

  FileDescriptor socket_;
  std::string address_;  // $NOTIFY_SOCKET; empty outside systemd
  std::int64_t watchdogMicros_ = 0;
  std::int64_t lastAlive_ = 0;
  std::string status_;
  std::string reloading_;  // the RELOADING=1 message owed; empty: none
  bool readyOwed_ = false;
  bool aliveOwed_ = false;
  bool statusOwed_ = false;
};

}  // namespace orvane
