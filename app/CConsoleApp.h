#pragma once

#include <filesystem>

#include "CWinApp.h"

namespace orvane {

// The program: start the socket layer, run the console window as the main window, and end
// when it ends.
class CConsoleApp : public CWinApp {
 public:
  explicit CConsoleApp(std::filesystem::path workingFolder = ".");

  // Registers the dialogs of the program with the framework.
  static void registerTemplates();

  bool initInstance() override;

 private:
  std::filesystem::path workingFolder_;
};

}  // namespace orvane
