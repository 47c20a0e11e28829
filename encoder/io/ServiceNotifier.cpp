#include "ServiceNotifier.h"

#include <systemd/sd-daemon.h>

namespace orvane {
namespace {

// STATUS= is one line; systemd shows no more than a screen's width of it anyway.
constexpr std::size_t kMaxStatus = 200;

}  // namespace

ServiceNotifier::ServiceNotifier() {
  std::uint64_t micros = 0;
  if (sd_watchdog_enabled(0, &micros) > 0) watchdogMicros_ = static_cast<std::int64_t>(micros);
}

void ServiceNotifier::ready() {
  sd_notify(0, "READY=1");
}

void ServiceNotifier::alive(std::int64_t monotonicMicros) {
  if (watchdogMicros_ == 0 || monotonicMicros - lastAlive_ < watchdogMicros_ / 2) return;
  lastAlive_ = monotonicMicros;
  sd_notify(0, "WATCHDOG=1");
}

void ServiceNotifier::status(std::string_view line) {
  std::string text(line.substr(0, kMaxStatus));
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  if (text == status_) return;
  status_ = text;
  sd_notify(0, ("STATUS=" + text).c_str());
}

}  // namespace orvane
