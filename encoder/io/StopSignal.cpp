#include "StopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>

#include <cerrno>

namespace orvane {
namespace {

volatile sig_atomic_t gWakeFd = -1;

extern "C" void onStopSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  [[maybe_unused]] const auto written = write(gWakeFd, &byte, 1);
  errno = saved;
}

void handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

}  // namespace

StopSignal::StopSignal() {
  handle(SIGPIPE, SIG_IGN);
  handle(SIGXFSZ, SIG_IGN);
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_.reset(ends[0]);
  write_.reset(ends[1]);
  gWakeFd = ends[1];
  handle(SIGINT, onStopSignal);
  handle(SIGTERM, onStopSignal);
}

bool StopSignal::requested() const {
  pollfd readable{read_.get(), POLLIN, 0};
  return poll(&readable, 1, 0) == 1;
}

StopSignal::~StopSignal() {
  handle(SIGINT, SIG_DFL);
  handle(SIGTERM, SIG_DFL);
  gWakeFd = -1;
}

}  // namespace orvane
