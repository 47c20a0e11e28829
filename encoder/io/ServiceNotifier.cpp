#include "ServiceNotifier.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-daemon.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orvane {
namespace {

// STATUS= is one line; systemd shows no more than a screen's width of it anyway.
constexpr std::size_t kMaxStatus = 200;

// A path, or an abstract name after '@'; systemd's other kinds (vsock) go through libsystemd.
bool unixAddress(const std::string& name, sockaddr_un& address, socklen_t& size) {
  if (name.size() < 2 || name.size() >= sizeof address.sun_path ||
      (name[0] != '/' && name[0] != '@')) {
    return false;
  }
  address = {};
  address.sun_family = AF_UNIX;
  name.copy(address.sun_path, name.size());
  if (name[0] == '@') address.sun_path[0] = '\0';
  size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
  return true;
}

}  // namespace

ServiceNotifier::ServiceNotifier() {
  std::uint64_t micros = 0;
  if (sd_watchdog_enabled(0, &micros) > 0) watchdogMicros_ = static_cast<std::int64_t>(micros);
  if (const char* name = std::getenv("NOTIFY_SOCKET")) address_ = name;
  if (!address_.empty()) {
    socket_.reset(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  }
}

void ServiceNotifier::ready() {
  readyOwed_ = true;
  sendOwed();
}

void ServiceNotifier::reloading(std::int64_t monotonicMicros) {
  reloading_ = "RELOADING=1\nMONOTONIC_USEC=" + std::to_string(monotonicMicros);
  sendOwed();
}

void ServiceNotifier::alive(std::int64_t monotonicMicros) {
  if (watchdogMicros_ > 0 && monotonicMicros - lastAlive_ >= watchdogMicros_ / 2) {
    lastAlive_ = monotonicMicros;
    aliveOwed_ = true;
  }
  sendOwed();
}

void ServiceNotifier::status(std::string_view line) {
  std::string text(line.substr(0, kMaxStatus));
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  if (text != status_) {
    status_ = text;
    statusOwed_ = true;
  }
  sendOwed();
}

// Once the socket is full nothing more fits this turn, so the rest waits in its order.
void ServiceNotifier::sendOwed() {
  const auto deliver = [this](bool& owed, std::string_view message) {
    if (owed) owed = !send(message);
    return !owed;
  };
  if (!reloading_.empty()) {
    if (!send(reloading_)) return;
    reloading_.clear();
  }
  if (!deliver(readyOwed_, "READY=1") || !deliver(aliveOwed_, "WATCHDOG=1")) return;
  deliver(statusOwed_, "STATUS=" + status_);
}

// True when the message is done with: taken, or refused for good (no systemd there any more),
// since retrying those would only repeat the refusal on every turn.
bool ServiceNotifier::send(std::string_view message) {
  if (address_.empty()) return true;
  sockaddr_un address;
  socklen_t size = 0;
  if (!unixAddress(address_, address, size)) {
    sd_notify(0, std::string(message).c_str());
    return true;
  }
  const ssize_t sent =
      ::sendto(socket_.get(), message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
               reinterpret_cast<const sockaddr*>(&address), size);
  return sent >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

}  // namespace orvane
