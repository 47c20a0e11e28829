#pragma once

#include <QWidget>
#include <string>

namespace orvane {

class CWnd;

// The application object: one per program. It holds the main window and the application's
// title, and starts the socket layer. A program derives from it and puts its start-up in
// initInstance(); the program ends when run() returns.
class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The one application object, or null while there is none.
  static CWinApp* instance();

  // The base name of the program's executable, without folder and extension, in the console's
  // code page: the caption of every message box given no title of its own.
  const std::string& title() const { return title_; }
  // The application object's title, or the executable's base name when there is none.
  static std::string applicationTitle();

  CWnd* mainWindow() const { return mainWindow_; }
  void setMainWindow(CWnd* window) { mainWindow_ = window; }
  // The window that now stands for the main window: its innermost open modal dialog, else its
  // own window; null while the main window has no window.
  static QWidget* lastActivePopup();

  // Starts the socket layer once; later calls after a success start nothing. False when
  // socket notifications cannot be delivered, and then a program must not go on.
  bool initSockets();

  // The program's start-up. True would keep an event loop running after it; a program that is
  // one modal dialog runs it here and returns false.
  virtual bool initInstance() { return false; }
  virtual int exitInstance() { return 0; }
  // Runs initInstance(), then the event loop if it asked for one; returns the exit code.
  int run();

 protected:
  // The real start: fails only when this thread cannot deliver socket notifications. Tests
  // replace it to reach the failure path.
  virtual bool startSocketLayer();

 private:
  std::string title_;
  CWnd* mainWindow_ = nullptr;
  bool socketsStarted_ = false;
};

}  // namespace orvane
