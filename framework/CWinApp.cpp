#include "CWinApp.h"

#include <QApplication>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "CDialog.h"
#include "Cp1252.h"
#include "SocketRegistry.h"

namespace orvane {
namespace {

CWinApp* theApp = nullptr;

std::string executablePath() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath().toStdString();
  std::error_code error;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
  // A program whose file was replaced while it runs.
  const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() && path.ends_with(deleted))
    path.resize(path.size() - deleted.size());
  return path;
}

std::string executableBaseName() {
  return cp1252FromUtf8(std::filesystem::path(executablePath()).stem().string());
}

}  // namespace

CWinApp::CWinApp() : title_(executableBaseName()) {
  theApp = this;
}

CWinApp::~CWinApp() {
  if (theApp == this) theApp = nullptr;
}

CWinApp* CWinApp::instance() {
  return theApp;
}

std::string CWinApp::applicationTitle() {
  return theApp ? theApp->title() : executableBaseName();
}

QWidget* CWinApp::lastActivePopup() {
  if (!theApp || !theApp->mainWindow_ || !theApp->mainWindow_->window()) return nullptr;
  if (const CDialog* innermost = CDialog::innermostModal(); innermost && innermost->window()) {
    return innermost->window();
  }
  return theApp->mainWindow_->window();
}

bool CWinApp::initSockets() {
  if (!socketsStarted_) socketsStarted_ = startSocketLayer();
  return socketsStarted_;
}

bool CWinApp::startSocketLayer() {
  return SocketRegistry::start();
}

int CWinApp::run() {
  // The program's windows come and go (the console ends by hiding); only run() decides when
  // it is over.
  QApplication::setQuitOnLastWindowClosed(false);
  if (initInstance()) QApplication::exec();
  return exitInstance();
}

}  // namespace orvane
