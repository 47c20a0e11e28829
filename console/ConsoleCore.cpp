#include "ConsoleCore.h"

namespace orvane {

void ConsoleCore::resetControlState() {
  state_.queueActive = 0;
  state_.busy = 0;
  state_.charWarningShown = 0;
  state_.advancedMode = 0;
}

void ConsoleCore::resetRotation() {
  state_.rotateIndex = 0;
  state_.rotateTicks = 0;
  state_.rotateDwell = 0;
}

}  // namespace orvane
