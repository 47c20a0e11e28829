#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "OnAirState.h"
#include "RdsLimits.h"

namespace orvane {

// The frames a service name is shown in, each exactly eight characters. A name of up to eight
// characters is one frame, sent as typed and padded with blanks, so an operator's own centring
// stays. A longer name runs through successive frames: whole words packed into eight
// characters, left-aligned, and a word longer than eight cut into eight-character pieces, so
// that no frame shows the tail of one word beside the head of the next.
[[nodiscard]] std::vector<std::string> serviceNameFrames(std::string_view name);

// The name receivers are given: a playout's scrolling name while there is one, else the name.
[[nodiscard]] const std::string& serviceNameShown(const OnAirState& state);

// How long each frame of a name that runs stays on at `speed` (0, slowest, to kMaxScrollSpeed).
[[nodiscard]] std::int64_t frameHoldMicros(int speed);

// The frame that shows the time of day: "  10:30 ".
[[nodiscard]] std::string timeFrame(int hour, int minute);

}  // namespace orvane
