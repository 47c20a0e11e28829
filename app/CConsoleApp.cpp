#include "CConsoleApp.h"

#include "AboutTemplate.h"
#include "CAboutDlg.h"
#include "CConsoleDlg.h"
#include "ConsoleTemplate.h"
#include "DialogTemplateRegistry.h"
#include "MessageBoxes.h"
#include "StringTable.h"
#include "TextListTemplate.h"

namespace orvane {

CConsoleApp::CConsoleApp(std::filesystem::path workingFolder)
    : workingFolder_(std::move(workingFolder)) {}

void CConsoleApp::registerTemplates() {
  DialogTemplateRegistry::add(aboutTemplate());
  DialogTemplateRegistry::add(consoleTemplate());
  DialogTemplateRegistry::add(textListTemplate());
}

bool CConsoleApp::initInstance() {
  if (!initSockets()) {
    frameworkMessageBox(strings::kSocketsFailed);
    return false;
  }
  registerTemplates();
  CConsoleDlg console(workingFolder_);
  console.setAboutHandler([&console] {
    CAboutDlg about(&console);
    (void)about.doModal();
  });
  setMainWindow(&console);
  (void)console.doModal();
  setMainWindow(nullptr);
  // The console was the whole program: no event loop runs after it.
  return false;
}

}  // namespace orvane
