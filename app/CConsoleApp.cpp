#include "CConsoleApp.h"

#include <QCoreApplication>

#include "AboutTemplate.h"
#include "CAboutDlg.h"
#include "CConsoleDlg.h"
#include "ConsoleSignals.h"
#include "ConsoleTemplate.h"
#include "DialogTemplateRegistry.h"
#include "MessageBoxes.h"
#include "StringTable.h"
#include "TextListTemplate.h"

namespace orvane {
namespace {

// A logout cannot be refused as "Sair do programa" is while a batch is being sent: the connection
// is closed as on leaving, and every window's event loop ends, also those of a list editor or a
// message box open over the console. The loops end first, so that a box the closing raises (a
// field that fails validation) cannot hold the logout up.
void endForLogout(CConsoleDlg& console) {
  QCoreApplication::exit(0);
  if (console.state().connected == 1) console.core().connection().closeProcedure();
}

}  // namespace

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
  const ConsoleSignals logout([&console] { endForLogout(console); });
  (void)console.doModal();
  setMainWindow(nullptr);
  // The console was the whole program: no event loop runs after it.
  return false;
}

}  // namespace orvane
