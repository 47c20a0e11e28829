#include <QApplication>
#include <QDir>
#include <iostream>
#include <string>
#include <vector>

#include "CConsoleApp.h"
#include "CommandLine.h"
#include "Cp1252.h"
#include "MessageBoxes.h"
#include "StationFolder.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kStationError = 1;

std::vector<std::string> argumentsOf(int argc, char* argv[]) {
  return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

// The examples installed beside the program (ORVANE_EXAMPLES_FROM_BINARY is relative to its
// folder), which a new station folder starts from.
std::filesystem::path installedExamples() {
  return QDir(QCoreApplication::applicationDirPath())
      .absoluteFilePath(QStringLiteral(ORVANE_EXAMPLES_FROM_BINARY))
      .toStdString();
}

// Started from the desktop menu there is no terminal to read an error in, so the operator
// gets a box, and the console does not go on in some other folder.
int stationRefused(const std::filesystem::path& folder, const std::error_code& error) {
  std::cerr << "orvane: não é possível trabalhar na pasta da estação " << folder << ": "
            << error.message() << '\n';
  orvane::frameworkMessageBox(orvane::pt("Não é possível trabalhar na pasta da estação\n") +
                                  orvane::cp1252FromUtf8(folder.string()) + "\n(" +
                                  orvane::cp1252FromUtf8(error.message()) + ")",
                              orvane::message::kOkStop);
  return kStationError;
}

}  // namespace

int main(int argc, char* argv[]) {
  // All of it before any window: help, version and a mistake on the line need no display.
  const orvane::CommandLine line = orvane::parseCommandLine(argumentsOf(argc, argv));
  if (line.action == orvane::CommandLine::Action::Help) {
    std::cout << orvane::usageText();
    return 0;
  }
  if (line.action == orvane::CommandLine::Action::Version) {
    std::cout << "orvane " << ORVANE_VERSION << '\n';
    return 0;
  }
  if (line.action == orvane::CommandLine::Action::Error) {
    std::cerr << "orvane: " << line.error << "\n\n" << orvane::usageText();
    return kUsageError;
  }
  QApplication application(argc, argv);
  if (line.station) {
    const std::error_code error = orvane::enterStationFolder(*line.station, installedExamples());
    if (error) return stationRefused(*line.station, error);
  }
  orvane::CConsoleApp console;
  return console.run();
}
