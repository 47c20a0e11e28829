#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "CommandQueue.h"
#include "ConsoleState.h"
#include "RadiotextSource.h"

namespace orvane {

// What the tick does after its rotation step.
enum class TickOutcome {
  carryOn,       // finish the tick normally: the window is refreshed from the record
  endTickEarly,  // the list gave nothing: end the tick without refreshing the window
};

// Automatic radiotext rotation: while "Automatizar RTXT list" is checked, each tick counts one
// second of the current dwell; when it has run out, the next pair of list entries goes on air.
// The list is looked up afresh on every due tick, so a list saved in the editor takes effect at
// once.
class Rotation {
 public:
  // A radiotext line holds 64 characters; longer list texts are cut to that.
  static constexpr std::size_t kMaxTextLength = kRadioTextLength;
  // A list entry's dwell is counted in units of 15 seconds (ticks).
  static constexpr std::int32_t kTicksPerDwellUnit = 15;

  Rotation(ConsoleState& state, RadiotextSource& list, CommandQueue& queue)
      : state_(state), list_(list), queue_(queue) {}

  TickOutcome step();

 private:
  struct Pair {
    std::string first;
    std::string second;
    std::optional<std::int32_t> firstDwell;
    std::optional<std::int32_t> secondDwell;
  };

  Pair readNextPair();
  // Looks up the entry numbered `rotateIndex` and moves the index on by one.
  bool lookUpNext(std::string& text, std::optional<std::int32_t>& dwell);
  void queueBatch(const std::string& first, const std::string& second);
  static std::int32_t dwellTicks(const Pair& pair);

  ConsoleState& state_;
  RadiotextSource& list_;
  CommandQueue& queue_;
  // Set when a pair was queued, cleared once a tick finds the console idle again. A dwell of
  // zero or less would otherwise queue a pair on every tick while only one command leaves per
  // tick: the queue would grow without end and the console would never stop being busy.
  bool batchOutstanding_ = false;
};

}  // namespace orvane
