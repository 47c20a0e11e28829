// Memory of the radiotext list editor for a very long list, opened from the console as the
// operator opens it:
//   orvane_bench_editor_memory [lines]     (default one million)
// prints the resident memory before the editor opens, while it is open, after it has closed, and
// the peak of the whole run, in kB, and the bytes per row that the open editor holds.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "CConsoleApp.h"
#include "CConsoleDlg.h"
#include "ControlId.h"
#include "ListFolder.h"

namespace {

// "VmRSS" (now) or "VmHWM" (peak) of this process, in kB.
long statusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  long value = 0;
  while (status >> name) {
    if (name == field + ":" && status >> value) return value;
    status.ignore(1 << 12, '\n');
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const long lines = argc > 1 ? std::stol(argv[1]) : 1'000'000;
  const ListFolder folder(lines);
  orvane::CConsoleApp::registerTemplates();
  orvane::CConsoleDlg console(folder.path());
  long before = 0;
  long open = 0;
  QTimer::singleShot(0, [&] {
    before = statusKilobytes("VmRSS");
    // Runs inside the editor's modal run, once its rows are loaded.
    QTimer::singleShot(0, [&] {
      open = statusKilobytes("VmRSS");
      orvane::CDialog::innermostModal()->endDialog(2);
    });
    qobject_cast<QAbstractButton*>(console.controlWidget(orvane::control::kEditList))->click();
    const long after = statusKilobytes("VmRSS");
    std::printf(
        "rows %ld: before %ld kB, open %ld kB, after close %ld kB, peak %ld kB, "
        "%.0f bytes a row while open\n",
        lines, before, open, after, statusKilobytes("VmHWM"),
        1024.0 * static_cast<double>(open - before) / static_cast<double>(lines));
    console.endDialog(0);
  });
  return console.doModal() == -1;
}
