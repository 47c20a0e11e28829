#include "QtMessageBoxService.h"

#include <QApplication>
#include <QWindow>

#include "Cp1252Text.h"
#include "MessageBoxDialog.h"

namespace orvane {

int QtMessageBoxService::show(const MessageBoxRequest& request) {
  MessageBoxDialog box(qStringFromCp1252(request.title), qStringFromCp1252(request.text),
                       request.style, request.owner);
  // Not a child of the owner: the owner is disabled while the box is open, and a child window
  // would be disabled with it. The window system still keeps the box above its owner.
  if (request.owner) {
    request.owner->window()->winId();
    box.winId();
    box.windowHandle()->setTransientParent(request.owner->window()->windowHandle());
  }
  box.exec();
  return box.answer();
}

void QtMessageBoxService::beep() {
  QApplication::beep();
}

}  // namespace orvane
