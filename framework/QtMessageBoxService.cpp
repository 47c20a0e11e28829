#include "QtMessageBoxService.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

#include "Cp1252Text.h"
#include "MessageStyle.h"

namespace orvane {
namespace {

QMessageBox::StandardButtons buttonsFor(unsigned style) {
  switch (style & message::kButtonMask) {
    case message::kButtonsOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case message::kButtonsYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case message::kButtonsYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::Icon iconFor(unsigned style) {
  switch (style & message::kIconMask) {
    case message::kIconStop:
      return QMessageBox::Critical;
    case message::kIconQuestion:
      return QMessageBox::Question;
    case message::kIconExclamation:
      return QMessageBox::Warning;
    case message::kIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int answerFor(QMessageBox::StandardButton button, unsigned style) {
  switch (button) {
    case QMessageBox::Yes:
      return message::kAnswerYes;
    case QMessageBox::No:
      return message::kAnswerNo;
    case QMessageBox::Cancel:
      return message::kAnswerCancel;
    case QMessageBox::Ok:
      return message::kAnswerOk;
    default:  // closed without a button
      return (style & message::kButtonMask) == message::kButtonsYesNo ? message::kAnswerNo
                                                                      : message::kAnswerCancel;
  }
}

}  // namespace

int QtMessageBoxService::show(const MessageBoxRequest& request) {
  QMessageBox box(iconFor(request.style), qStringFromCp1252(request.title),
                  qStringFromCp1252(request.text), buttonsFor(request.style));
  box.setTextFormat(Qt::PlainText);
  // Not a child of the owner: the owner is disabled while the box is open, and a child window
  // would be disabled with it. The window system still keeps the box above its owner.
  if (request.owner) {
    request.owner->window()->winId();
    box.winId();
    box.windowHandle()->setTransientParent(request.owner->window()->windowHandle());
  }
  box.exec();
  return answerFor(box.standardButton(box.clickedButton()), request.style);
}

void QtMessageBoxService::beep() {
  QApplication::beep();
}

}  // namespace orvane
