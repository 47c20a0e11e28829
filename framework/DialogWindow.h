#pragma once

#include <QWidget>
#include <map>
#include <set>

namespace orvane {

class CWnd;

// The Qt window behind a CWnd: it turns the platform's dialog keys, the close command and
// timer ticks into the CWnd's commands and timer messages.
class DialogWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DialogWindow(CWnd& owner);

  bool startTick(int timerId, int milliseconds);
  void stopTick(int timerId);
  // A pop-up without a title bar draws its own raised edge, so that it stands out from the
  // window it opens over.
  void setRaisedBorder(bool raised) { raisedBorder_ = raised; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void customEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  CWnd& owner_;
  std::map<int, int> qtTimers_;  // the window's timer identifier -> Qt's
  // Timers with a tick posted and not yet handled. A handler that waits in a message box has
  // already taken its tick off this set, so the next tick reaches it while the box is open.
  std::set<int> pendingTicks_;
  bool raisedBorder_ = false;
};

}  // namespace orvane
