#include "CommandQueue.h"

#include <string>

#include "ControlId.h"
#include "LineBuffer.h"

namespace orvane {

void CommandQueue::append(std::string_view command) {
  storeLine(state_.lineBuffer, command);
  state_.sendQueue += lineText(state_.lineBuffer);
  state_.sendQueue += kSeparator;
}

void CommandQueue::startBatch() {
  state_.rotateTicks = 0;
  state_.busy = 1;
  state_.queueActive = 1;
}

void CommandQueue::setUpdateButtons(bool enabled) {
  for (const int button : control::kUpdateButtons) window_.enableControl(button, enabled);
}

void CommandQueue::sendLine(std::string_view command) {
  std::string line(command);
  line += kLineFeed;
  (void)link_.send(line.data(), line.size());
}

void CommandQueue::drainStep() {
  if (state_.sendQueue.empty()) {
    state_.busy = 0;
    state_.queueActive = 0;
    setUpdateButtons(true);
    return;
  }
  const auto separator = state_.sendQueue.find(kSeparator);
  // Every append ends with a separator, so a queue without one cannot be made; if it ever were,
  // it is left alone rather than sent half.
  if (separator == std::string::npos) return;
  storeLine(state_.lineBuffer, std::string_view(state_.sendQueue).substr(0, separator));
  sendLine(lineText(state_.lineBuffer));
  state_.sendQueue.erase(0, separator + 1);
}

}  // namespace orvane
