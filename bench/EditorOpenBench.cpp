// The radiotext list editor opening a very long list, from the click on "Editar Lista" to its
// window shown with the rows in, against a QTreeView over a plain table model filled by the same
// file reader: what Qt itself costs to show those rows. One opening per process, from the same
// console window, so that neither finds the other's memory or caches:
//   orvane_bench_editor_open editor|plain [lines]     (default one million)
// prints "<ms to the shown window> <kB more resident while open> <peak kB of the run>";
// bench/editor-open.sh runs them in turn and gives the ratios.
#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CConsoleApp.h"
#include "CConsoleDlg.h"
#include "ControlId.h"
#include "ListFolder.h"
#include "TextListFile.h"
#include "TextListRows.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kColumns = 3;

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

// The rows as the file reader hands them over, and the table a view reads them from.
class PlainRows : public orvane::TextListRows, public QAbstractTableModel {
 public:
  std::size_t rowCount() const override { return rows_.size(); }
  std::string cell(std::size_t row, int column) const override {
    return rows_[row][static_cast<std::size_t>(column)];
  }
  void appendRow(const std::string& order, const std::string& text,
                 const std::string& dwell) override {
    rows_.push_back({order, text, dwell});
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : kColumns;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole) return {};
    const std::string& text =
        rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }

 private:
  std::vector<std::array<std::string, kColumns>> rows_;
};

void report(QWidget* window, Clock::time_point start, long before) {
  if (!QTest::qWaitForWindowExposed(window)) std::fprintf(stderr, "window never shown\n");
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("%.1f %ld %ld\n", ms, statusKilobytes("VmRSS") - before, statusKilobytes("VmHWM"));
}

void openEditor(orvane::CConsoleDlg& console) {
  const long before = statusKilobytes("VmRSS");
  const auto start = Clock::now();
  // Runs inside the editor's modal run, once its rows are loaded.
  QTimer::singleShot(0, [start, before] {
    orvane::CDialog* editor = orvane::CDialog::innermostModal();
    report(editor->window(), start, before);
    editor->endDialog(2);
  });
  qobject_cast<QAbstractButton*>(console.controlWidget(orvane::control::kEditList))->click();
}

void openPlain(const std::filesystem::path& folder) {
  const long before = statusKilobytes("VmRSS");
  const auto start = Clock::now();
  PlainRows rows;
  orvane::LoadTextList(folder, rows);
  QTreeView view;
  view.setRootIsDecorated(false);
  view.setUniformRowHeights(true);
  view.setModel(&rows);
  view.show();
  report(&view, start, before);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "editor";
  const long lines = argc > 2 ? std::stol(argv[2]) : 1'000'000;
  const ListFolder folder(lines);
  orvane::CConsoleApp::registerTemplates();
  orvane::CConsoleDlg console(folder.path());
  QTimer::singleShot(0, [&] {
    if (mode == "plain") {
      openPlain(folder.path());
    } else {
      openEditor(console);
    }
    console.endDialog(0);
  });
  return console.doModal() == -1;
}
