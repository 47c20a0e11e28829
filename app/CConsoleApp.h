#pragma once

#include <filesystem>

#include "CWinApp.h"
#include "ToolkitTranslations.h"

namespace orvane {

// The program: start the socket layer, run the console window as the main window, and end
// when it ends. The toolkit speaks Portuguese for as long as the program object lives.
class CConsoleApp : public CWinApp {
 public:
  explicit CConsoleApp(std::filesystem::path workingFolder = ".");

  // Registers the dialogs of the program with the framework.
  static void registerTemplates();

  bool initInstance() override;

 private:
  std::filesystem::path workingFolder_;
  ToolkitTranslations translations_;
};

}  // namespace orvane
