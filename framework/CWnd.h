#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "MessageStyle.h"

namespace orvane {

class DialogWindow;
class EditControl;

// A window of the program and the handlers bound to its messages. Handlers are bound by
// control identifier and notification code (Notification.h), normally in the constructor:
//
//   onCommand(control::kConnect, notify::kClicked, [this] { connectToServer(); });
//   onTimer([this](int timerId) { tick(timerId); });
//
// A class's bindings are searched before those of its bases (the later binding wins), and
// a message without a binding is simply not handled. While a data transfer runs, notifications
// from the window's own controls are dropped: text a transfer writes never reaches a change
// handler.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The window while it exists (during a modal run), else null.
  QWidget* window() const;
  // The control with that identifier; its object name is "control<id>". Null when the window
  // has none (or does not exist).
  QWidget* controlWidget(int controlId) const;

  void enableControl(int controlId, bool enabled);
  // The control's own state, whether or not the whole window is disabled at the moment.
  bool isControlEnabled(int controlId) const;
  std::string controlText(int controlId) const;
  void setControlText(int controlId, const std::string& text);

  // A message box owned by this window: no title means the application's title; the style is
  // used as given. Returns the button pressed (message::kAnswerOk, kAnswerYes, kAnswerNo).
  int messageBox(const std::string& text, const std::optional<std::string>& title = std::nullopt,
                 unsigned style = message::kOk);

  // Starts (or restarts) the window's timer `timerId`; each tick reaches the timer handler.
  // Ticks never pile up: while one waits to be handled, the next one due is dropped. False
  // while there is no window.
  bool setTimer(int timerId, int milliseconds);
  void killTimer(int timerId);

  void onCommand(int controlId, int code, std::function<void()> handler);
  void onNotify(int controlId, int code, std::function<void()> handler);
  void onTimer(std::function<void(int timerId)> handler);

  // True while a data transfer of this window runs.
  bool transferRunning() const { return transfersRunning_ > 0; }

 protected:
  // The command that Enter gives when no push button has the focus.
  virtual int defaultCommandId() const { return 1; }

  void attachWindow(DialogWindow* window);
  void detachWindow();
  // Makes a control known by its identifier and routes its notifications here.
  void registerControl(int controlId, QWidget* control);

  // Counts a transfer in progress for as long as it lives.
  class TransferScope {
   public:
    explicit TransferScope(CWnd& window) : window_(window) { ++window_.transfersRunning_; }
    ~TransferScope() { --window_.transfersRunning_; }
    TransferScope(const TransferScope&) = delete;
    TransferScope& operator=(const TransferScope&) = delete;

   private:
    CWnd& window_;
  };

 private:
  friend class DialogWindow;
  enum class Message { Command, Notify, Timer };
  struct Binding {
    Message message;
    int controlId;
    int code;
    std::function<void()> handler;
    std::function<void(int)> timerHandler;
  };

  void controlNotification(Message message, int controlId, int code);
  // An edit's lost focus; a button click that moved the focus is not lost to a box it raises.
  void editLeft(int controlId, const EditControl& edit);
  bool dispatch(Message message, int controlId, int code);
  // Enter, Escape and the close command: refused with a beep when the target control exists
  // but is disabled.
  void keyCommand(int controlId);
  void enterKey();
  void timerTick(int timerId);
  void wireControl(int controlId, QWidget* control);

  QPointer<DialogWindow> window_;
  std::map<int, QPointer<QWidget>> controls_;
  std::vector<Binding> bindings_;
  int transfersRunning_ = 0;
};

}  // namespace orvane
