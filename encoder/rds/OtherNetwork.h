#pragma once

#include <cstdint>
#include <string>

#include "AlternativeFrequencies.h"

namespace orvane {

// Another programme of the station's group, told to receivers in group 14A so that a car radio
// tuned here knows its name and frequencies and can switch to its traffic announcements. Fixed
// when the service starts or reloads its file; only its TA changes on air
// (OnAirState::otherNetworkTraffic).
struct OtherNetwork {
  // Few frequencies: with eight networks a whole cycle of them all must fit in two minutes.
  static constexpr std::size_t kMaxFrequencies = 5;

  std::uint16_t programmeIdentification = 0;
  std::string serviceName;  // Windows-1252, at most 8 characters
  bool trafficProgramme = false;
  int programmeType = 0;
  AlternativeFrequencies frequencies;  // method A, as in 0A; empty: variant 4 is not sent
  std::size_t frequencyCount = 0;
};

}  // namespace orvane
