#include "DialogWindow.h"

#include <qdrawutil.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>

#include "CWnd.h"

namespace orvane {
namespace {

constexpr int kCancelCommand = 2;

class TickEvent : public QEvent {
 public:
  explicit TickEvent(int timerId) : QEvent(type()), timerId_(timerId) {}
  static QEvent::Type type() {
    static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
    return registered;
  }
  int timerId() const { return timerId_; }

 private:
  int timerId_;
};

bool isPlainKey(const QKeyEvent& event) {
  return (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

DialogWindow::DialogWindow(CWnd& owner) : owner_(owner) {}

bool DialogWindow::startTick(int timerId, int milliseconds) {
  stopTick(timerId);
  const int qtId = startTimer(milliseconds, Qt::PreciseTimer);
  if (qtId == 0) return false;
  qtTimers_[timerId] = qtId;
  return true;
}

void DialogWindow::stopTick(int timerId) {
  const auto found = qtTimers_.find(timerId);
  if (found == qtTimers_.end()) return;
  killTimer(found->second);
  qtTimers_.erase(found);
  pendingTicks_.erase(timerId);
}

void DialogWindow::timerEvent(QTimerEvent* event) {
  for (const auto& [timerId, qtId] : qtTimers_) {
    if (qtId != event->timerId()) continue;
    // Handled through a low-priority posted event, not here: Qt does not fire a timer again
    // while its own event is still being handled, and the tick handler must be reachable from
    // inside a message box it opened.
    if (pendingTicks_.insert(timerId).second) {
      QCoreApplication::postEvent(this, new TickEvent(timerId), Qt::LowEventPriority);
    }
    return;
  }
  QWidget::timerEvent(event);
}

void DialogWindow::customEvent(QEvent* event) {
  if (event->type() != TickEvent::type()) return QWidget::customEvent(event);
  const int timerId = static_cast<TickEvent*>(event)->timerId();
  // A tick for a timer stopped (or restarted) after it was posted is dropped.
  if (pendingTicks_.erase(timerId) == 0) return;
  owner_.timerTick(timerId);
}

void DialogWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!raisedBorder_) return;
  QPainter painter(this);
  qDrawWinPanel(&painter, rect(), palette(), false);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (isPlainKey(*event) && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    owner_.enterKey();
  } else if (isPlainKey(*event) && key == Qt::Key_Escape) {
    owner_.keyCommand(kCancelCommand);
  } else {
    QWidget::keyPressEvent(event);
  }
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The window goes only when its dialog ends; closing it is the Cancel command.
  event->ignore();
  if (isEnabled()) owner_.keyCommand(kCancelCommand);
}

}  // namespace orvane
