#include "OwnerLock.h"

namespace orvane {

OwnerLock::OwnerLock(QWidget* owner) : window_(owner ? owner->window() : nullptr) {
  if (!window_ || !window_->isEnabled()) return;
  // Disabling takes the focus away from the window; remember where it was.
  focus_ = window_->focusWidget();
  window_->setEnabled(false);
  disabled_ = true;
  ++locksTaken_;
}

OwnerLock::~OwnerLock() {
  release(false);
}

void OwnerLock::release(bool reactivate) {
  if (released_) return;
  released_ = true;
  if (!disabled_ || !window_) return;
  window_->setEnabled(true);
  if (focus_ && focus_->window() == window_ && focus_->isEnabled() && focus_->isVisible()) {
    focus_->setFocus(Qt::ActiveWindowFocusReason);
  }
  if (reactivate) window_->activateWindow();
}

}  // namespace orvane
