#include "CWnd.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "CWinApp.h"
#include "ControlText.h"
#include "Cp1252Text.h"
#include "DialogTemplate.h"
#include "DialogWindow.h"
#include "EditControl.h"
#include "ListViewControl.h"
#include "MessageBoxService.h"
#include "MessageBoxes.h"
#include "Notification.h"
#include "OwnerLock.h"
#include "SimpleComboBox.h"

namespace orvane {
namespace {

// A press on a button gives the button the focus before the button itself sees the press. When
// the edit that lost the focus opened a box, the window was disabled under the press: the
// operator's release went to the box, and the press, arriving after it, would leave the button
// held down without a click. This takes that press and clicks the button instead, once.
class PressAsClick : public QObject {
 public:
  explicit PressAsClick(QAbstractButton& button) : QObject(&button), button_(button) {
    button.installEventFilter(this);
    // The press follows the focus change at once; a later one is a press of its own.
    QTimer::singleShot(0, this, [this] { deleteLater(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &button_ || event->type() != QEvent::MouseButtonPress) return false;
    button_.removeEventFilter(this);
    deleteLater();
    button_.click();  // a button disabled meanwhile does nothing
    return true;
  }

 private:
  QAbstractButton& button_;
};

}  // namespace

CWnd::~CWnd() = default;

QWidget* CWnd::window() const {
  return window_.data();
}

QWidget* CWnd::controlWidget(int controlId) const {
  const auto found = controls_.find(controlId);
  return found == controls_.end() ? nullptr : found->second.data();
}

void CWnd::enableControl(int controlId, bool enabled) {
  QWidget* control = controlWidget(controlId);
  if (!control) return;
  if (!enabled && window_) {
    // The platform leaves the focus nowhere rather than handing it to the next control, where
    // it would later be "lost" again and run that control's handler.
    const QWidget* focus = window_->focusWidget();
    if (focus && (focus == control || control->isAncestorOf(focus))) {
      window_->setFocus(Qt::OtherFocusReason);
    }
  }
  control->setEnabled(enabled);
}

bool CWnd::isControlEnabled(int controlId) const {
  const QWidget* control = controlWidget(controlId);
  return control && control->isEnabledTo(window_);
}

std::string CWnd::controlText(int controlId) const {
  const QWidget* control = controlWidget(controlId);
  const auto text = control ? textOfControl(*control) : std::nullopt;
  return text ? cp1252FromQString(*text) : std::string{};
}

void CWnd::setControlText(int controlId, const std::string& text) {
  if (QWidget* control = controlWidget(controlId))
    setTextOfControl(*control, qStringFromCp1252(text));
}

int CWnd::messageBox(const std::string& text, const std::optional<std::string>& title,
                     unsigned style) {
  return showMessageBox(window(), text, title ? *title : CWinApp::applicationTitle(), style);
}

bool CWnd::setTimer(int timerId, int milliseconds) {
  return window_ && window_->startTick(timerId, milliseconds);
}

void CWnd::killTimer(int timerId) {
  if (window_) window_->stopTick(timerId);
}

void CWnd::onCommand(int controlId, int code, std::function<void()> handler) {
  bindings_.push_back({Message::Command, controlId, code, std::move(handler), nullptr});
}

void CWnd::onNotify(int controlId, int code, std::function<void()> handler) {
  bindings_.push_back({Message::Notify, controlId, code, std::move(handler), nullptr});
}

void CWnd::onTimer(std::function<void(int)> handler) {
  bindings_.push_back({Message::Timer, 0, 0, nullptr, std::move(handler)});
}

void CWnd::attachWindow(DialogWindow* window) {
  window_ = window;
}

void CWnd::detachWindow() {
  window_ = nullptr;
  controls_.clear();
}

void CWnd::registerControl(int controlId, QWidget* control) {
  if (controlId == kNoControlId) return;
  control->setObjectName(QStringLiteral("control%1").arg(controlId));
  controls_[controlId] = control;
  wireControl(controlId, control);
}

void CWnd::wireControl(int controlId, QWidget* control) {
  const auto command = [this, controlId](int code) {
    return [this, controlId, code] { controlNotification(Message::Command, controlId, code); };
  };
  if (auto* edit = qobject_cast<EditControl*>(control)) {
    QObject::connect(edit, &EditControl::changed, edit, command(notify::kEditChanged));
    QObject::connect(edit, &EditControl::focusLost, edit,
                     [this, controlId, edit] { editLeft(controlId, *edit); });
  } else if (auto* combo = qobject_cast<SimpleComboBox*>(control)) {
    QObject::connect(combo, &SimpleComboBox::selectionChanged, combo,
                     command(notify::kSelectionChanged));
  } else if (auto* list = qobject_cast<ListViewControl*>(control)) {
    QObject::connect(list, &ListViewControl::doubleClicked, list, [this, controlId] {
      controlNotification(Message::Notify, controlId, notify::kDoubleClick);
    });
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    QObject::connect(button, &QAbstractButton::clicked, button, command(notify::kClicked));
  }
}

void CWnd::editLeft(int controlId, const EditControl& edit) {
  QPointer<QAbstractButton> pressed;
  if (edit.lostFocusReason() == Qt::MouseFocusReason)
    pressed = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
  const unsigned locks = OwnerLock::locksTaken();
  controlNotification(Message::Command, controlId, notify::kEditLostFocus);
  if (pressed && OwnerLock::locksTaken() != locks) new PressAsClick(*pressed);
}

void CWnd::controlNotification(Message message, int controlId, int code) {
  if (transferRunning()) return;
  dispatch(message, controlId, code);
}

bool CWnd::dispatch(Message message, int controlId, int code) {
  for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
    if (it->message != message) continue;
    if (message == Message::Timer) {
      const auto handler = it->timerHandler;  // a handler may bind more while it runs
      handler(controlId);
      return true;
    }
    if (it->controlId == controlId && it->code == code) {
      const auto handler = it->handler;
      handler();
      return true;
    }
  }
  return false;
}

void CWnd::keyCommand(int controlId) {
  if (const QWidget* target = controlWidget(controlId); target && !target->isEnabledTo(window_)) {
    MessageBoxService::current().beep();
    return;
  }
  dispatch(Message::Command, controlId, notify::kClicked);
}

void CWnd::enterKey() {
  const QWidget* focus = window_ ? window_->focusWidget() : nullptr;
  if (qobject_cast<const QPushButton*>(focus)) {
    for (const auto& [id, control] : controls_) {
      if (control == focus) return keyCommand(id);
    }
  }
  keyCommand(defaultCommandId());
}

void CWnd::timerTick(int timerId) {
  dispatch(Message::Timer, timerId, 0);
}

}  // namespace orvane
