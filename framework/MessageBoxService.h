#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

namespace orvane {

// One message box as the framework asks for it. Texts are in the console's code page.
struct MessageBoxRequest {
  std::string text;
  std::string title;
  unsigned style = 0;  // buttons and icon, as in MessageStyle.h
  QPointer<QWidget> owner;
};

// What shows message boxes and sounds the warning beep. The framework owns the order of
// effects around a box (its owner disabled while it is open); the service only shows it and
// says which button was pressed. Tests install a MessageBoxRecorder in its place.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Shows the box until the operator answers; returns message::kAnswerOk, kAnswerCancel,
  // kAnswerYes or kAnswerNo.
  virtual int show(const MessageBoxRequest& request) = 0;
  // A refused key or close command.
  virtual void beep() = 0;

  // The service in use: the installed one, else the real boxes.
  static MessageBoxService& current();
  // Installs a service (not owned); null goes back to the real boxes. Returns the previous one.
  static MessageBoxService* install(MessageBoxService* service);
};

}  // namespace orvane
