#include "ConsoleSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {
namespace {

constexpr std::array kSignals = {SIGXFSZ, SIGTERM, SIGHUP};

volatile sig_atomic_t gWakeFd = -1;

extern "C" void onEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  [[maybe_unused]] const auto written = write(gWakeFd, &byte, 1);
  errno = saved;
}

void handle(int signal, void (*handler)(int), struct sigaction* previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, previous);
}

}  // namespace

ConsoleSignals::ConsoleSignals(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
  handle(SIGXFSZ, SIG_IGN, &previous_[0]);
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  gWakeFd = writeEnd_;
  notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { delivered(); });
  for (std::size_t i = 1; i < kSignals.size(); ++i) {
    handle(kSignals[i], onEndSignal, &previous_[i]);
    // Started with the hang-up ignored (nohup), the console keeps running when its terminal goes.
    if (previous_[i].sa_handler == SIG_IGN) sigaction(kSignals[i], &previous_[i], nullptr);
  }
}

ConsoleSignals::~ConsoleSignals() {
  const std::size_t handled = readEnd_ >= 0 ? kSignals.size() : 1;
  for (std::size_t i = 0; i < handled; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  gWakeFd = -1;
  notifier_.reset();
  if (readEnd_ >= 0) ::close(readEnd_);
  if (writeEnd_ >= 0) ::close(writeEnd_);
}

void ConsoleSignals::delivered() {
  char bytes[16];
  while (::read(readEnd_, bytes, sizeof bytes) > 0) {
  }
  onEnd_();
}

}  // namespace orvane
