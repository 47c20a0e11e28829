#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RdsLimits.h"

namespace orvane {

// The frames a service name is shown in, each exactly eight characters. A name of up to eight
// characters is one frame, sent as typed and padded with blanks, so an operator's own centring
// stays. A longer name runs through successive frames: whole words packed into eight
// characters, left-aligned, and a word longer than eight cut into eight-character pieces, so
// that no frame shows the tail of one word beside the head of the next.
[[nodiscard]] std::vector<std::string> serviceNameFrames(std::string_view name);

// The frame that shows the time of day: "  10:30 ".
[[nodiscard]] std::string timeFrame(int hour, int minute);

}  // namespace orvane
