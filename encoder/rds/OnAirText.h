#pragma once

#include <string>
#include <vector>

#include "OnAirState.h"

namespace orvane {

// Describes, in Portuguese and UTF-8, every value that differs between two on-air states, one
// line per value and in a fixed order, the way an operator would read it off a receiver:
// "PTY 0A Música Pop", "RTXT1 \"Bom dia\"", "TA sim".
[[nodiscard]] std::vector<std::string> describeChanges(const OnAirState& before,
                                                       const OnAirState& after);

}  // namespace orvane
