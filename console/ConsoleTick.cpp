#include "ConsoleTick.h"

namespace orvane {

void ConsoleTick::onTick() {
  if (inTick_ || window_.isTransferring()) return;
  inTick_ = true;
  (void)window_.transferToRecord();
  if (state_.queueActive == 1) queue_.drainStep();
  if (rotation_.step() == TickOutcome::carryOn) (void)window_.transferToWindow();
  inTick_ = false;
}

}  // namespace orvane
