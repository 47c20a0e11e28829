// Start-up and idle cost of the console, measured against a bare Qt dialog of the same size built
// the same way. One measurement per process, so that each start is a real cold start of the
// program's own code:
//   orvane_bench_startup console|bare     prints "<ms to first shown window> <peak RSS kB>"
//   orvane_bench_startup idle SECONDS     prints "<CPU seconds used while idle and connected>"
// bench/startup.sh runs them side by side and reports medians.
#include <sys/resource.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "CConsoleApp.h"
#include "CConsoleDlg.h"
#include "ConsoleTemplate.h"
#include "DialogUnits.h"

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point kProcessStart = Clock::now();
constexpr int kSettleMs = 2000;

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void report(QWidget* window) {
  if (!QTest::qWaitForWindowExposed(window)) std::fprintf(stderr, "window never shown\n");
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - kProcessStart).count();
  std::printf("%.2f %ld\n", ms, peakKilobytes());
}

int bareDialog() {
  QDialog dialog;
  QFont font(QStringLiteral("MS Sans Serif"), 8);
  dialog.setFont(font);
  const auto units = orvane::DialogUnits::forFont(dialog.font());
  const orvane::DialogTemplate console = orvane::consoleTemplate();
  dialog.resize(units.toPixelsX(console.width), units.toPixelsY(console.height));
  QTimer::singleShot(0, &dialog, [&dialog] {
    report(&dialog);
    dialog.done(0);
  });
  return dialog.exec();
}

int consoleDialog(int idleSeconds) {
  orvane::CConsoleApp::registerTemplates();
  orvane::CConsoleDlg console;
  QTimer::singleShot(0, [&console, idleSeconds] {
    if (idleSeconds == 0) {
      report(console.window());
      console.endDialog(0);
      return;
    }
    console.core().connection().connect();
    // The first paint and the connection settle before the idle second counting starts.
    QTimer::singleShot(kSettleMs, [&console, idleSeconds] {
      const double before = cpuSeconds();
      QTimer::singleShot(idleSeconds * 1000, [&console, before] {
        std::printf("%.3f connected=%d\n", cpuSeconds() - before, console.state().connected);
        console.endDialog(0);
      });
    });
  });
  return console.doModal();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "console";
  if (mode == "bare") return bareDialog();
  if (mode == "idle") return consoleDialog(argc > 2 ? std::stoi(argv[2]) : 60) == -1;
  return consoleDialog(0) == -1;
}
