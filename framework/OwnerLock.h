#pragma once

#include <QPointer>
#include <QWidget>

namespace orvane {

// Keeps an owner window disabled while a message box or a dialog it owns is open, as the
// platform does for owned windows, and afterwards gives it back its focus. An owner that was
// already disabled (an outer box holds it) is left to whoever disabled it.
class OwnerLock {
 public:
  explicit OwnerLock(QWidget* owner);
  ~OwnerLock();
  OwnerLock(const OwnerLock&) = delete;
  OwnerLock& operator=(const OwnerLock&) = delete;

  // Enables the owner again now; `reactivate` also makes it the active window.
  void release(bool reactivate);
  bool disabledOwner() const { return disabled_; }
  // How many locks have disabled their owner since the program started: a handler compares
  // the count before and after to know whether a box or a dialog was open while it ran.
  static unsigned locksTaken() { return locksTaken_; }

 private:
  QPointer<QWidget> window_;
  QPointer<QWidget> focus_;
  bool disabled_ = false;
  bool released_ = false;
  static inline unsigned locksTaken_ = 0;
};

}  // namespace orvane
