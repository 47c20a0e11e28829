// Start-up and idle cost of the console, measured against a bare Qt dialog of the same size built
// the same way. One measurement per process, so that each start is a real cold start of the
// program's own code:
//   orvane_bench_startup console|bare     prints "<ms to first shown window> <peak RSS kB>
//                                          <CPU ms by then>"
//   orvane_bench_startup idle SECONDS     prints "<CPU seconds used while idle and connected>"
// bench/startup.sh runs them side by side and reports medians.
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <chrono>
#include <cstdio>
#include <map>
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
  std::printf("%.2f %ld %.1f\n", ms, peakKilobytes(), 1000 * cpuSeconds());
}

// The console's controls as plain Qt widgets where the template puts them, with its texts and
// list entries: what Qt itself costs for this window, without the framework and the console.
QWidget* bareControl(const orvane::ControlTemplate& control, QWidget* parent) {
  using K = orvane::ControlKind;
  const QString caption =
      QString::fromLatin1(control.caption.data(), static_cast<qsizetype>(control.caption.size()));
  switch (control.kind) {
    case K::PushButton:
    case K::DefPushButton:
      return new QPushButton(caption, parent);
    case K::CheckBox:
      return new QCheckBox(caption, parent);
    case K::Edit:
    case K::IpAddress:
      return new QLineEdit(parent);
    case K::SimpleCombo: {
      auto* combo = new QWidget(parent);
      auto* layout = new QVBoxLayout(combo);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(new QLineEdit(combo));
      layout->addWidget(new QListWidget(combo), 1);
      return combo;
    }
    case K::ListView:
      return new QTreeView(parent);
    case K::Picture: {
      auto* picture = new QLabel(parent);
      picture->setPixmap(QPixmap(QString::fromStdString(control.picture)));
      return picture;
    }
    case K::GroupBox:
      return new QGroupBox(caption, parent);
    case K::Label:
      break;
  }
  return new QLabel(caption, parent);
}

int bareDialog() {
  QDialog dialog;
  const orvane::DialogTemplate console = orvane::consoleTemplate();
  QFont font(QString::fromStdString(console.fontFamily), console.fontPoints);
  font.setStyleHint(QFont::SansSerif);
  dialog.setWindowTitle(
      QString::fromLatin1(console.caption.data(), static_cast<qsizetype>(console.caption.size())));
  dialog.setFont(font);
  const auto units = orvane::DialogUnits::forFont(dialog.font());
  dialog.resize(units.toPixelsX(console.width), units.toPixelsY(console.height));
  std::map<int, QListWidget*> lists;
  for (const orvane::ControlTemplate& control : console.controls) {
    QWidget* widget = bareControl(control, &dialog);
    widget->setGeometry(units.toPixels(control.rect));
    widget->setEnabled(!control.style.disabled);
    widget->setVisible(!control.style.hidden);
    if (auto* list = widget->findChild<QListWidget*>()) lists[control.id] = list;
  }
  for (const orvane::InitialString& entry : console.initialStrings) {
    lists[entry.controlId]->addItem(
        QString::fromLatin1(entry.text.data(), static_cast<qsizetype>(entry.text.size())));
  }
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
