#include "ReloadSignal.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace orvane {
namespace {

sigset_t hangUp() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

ReloadSignal::ReloadSignal(std::function<void()> reload) : reload_(std::move(reload)) {
  const sigset_t set = hangUp();
  sigprocmask(SIG_BLOCK, &set, nullptr);
  fd_.reset(signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
}

// Children started later (none today) must not inherit a blocked SIGHUP.
ReloadSignal::~ReloadSignal() {
  const sigset_t set = hangUp();
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

PollTask::Wait ReloadSignal::wait() {
  return {{{fd_.get(), POLLIN, 0}}, -1};
}

// Several SIGHUPs before a turn are one reload: each reads the same file.
bool ReloadSignal::service(std::span<const pollfd> polled) {
  if (polled.empty() || (polled[0].revents & POLLIN) == 0) return true;
  signalfd_siginfo info{};
  bool signalled = false;
  while (read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) signalled = true;
  if (signalled) reload_();
  return true;
}

}  // namespace orvane
