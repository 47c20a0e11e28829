#pragma once

#include "CommandQueue.h"
#include "ConsoleState.h"
#include "ConsoleWindow.h"
#include "Rotation.h"

namespace orvane {

// The console's one-second heartbeat: read the window, send one queued command, run the
// rotation, show the record again.
class ConsoleTick {
 public:
  static constexpr int kTimerId = 101;
  static constexpr int kPeriodMs = 1000;

  ConsoleTick(ConsoleState& state, ConsoleWindow& window, CommandQueue& queue, Rotation& rotation)
      : state_(state), window_(window), queue_(queue), rotation_(rotation) {}

  void onTick();

 private:
  ConsoleState& state_;
  ConsoleWindow& window_;
  CommandQueue& queue_;
  Rotation& rotation_;
  // A field that fails validation shows a report from inside a transfer, and the report's own
  // event loop keeps delivering ticks; each would open one more report on top. A tick that arrives
  // while a transfer (the tick's own or a handler's) is still inside its report is skipped.
  bool inTick_ = false;
};

}  // namespace orvane
