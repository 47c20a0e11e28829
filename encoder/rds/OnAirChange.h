#pragma once

#include <string>
#include <vector>

#include "OnAirState.h"
#include "OnAirText.h"

namespace orvane {

// One command's change of what is on air, kept so that the operator's description of it can be
// made once the peers have been sent it: formatting every value and converting the texts stood
// between an ENCODE and its UECP frame. Only the values the command could change are kept, on
// both sides; the rest of each state is left as it starts.
struct OnAirChange {
  OnAirState before;
  OnAirState after;

  [[nodiscard]] std::vector<std::string> describe() const { return describeChanges(before, after); }
};

}  // namespace orvane
