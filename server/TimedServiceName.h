#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "OnAirState.h"

namespace orvane {

// The 8-character service name an encoder should show at a given time, for encoders that take the
// name only as a whole frame: UECP has no element for a cyclic name or for the time in the name,
// so those are sent as timed frame changes. The timing is the software encoder's: each frame of a
// long name, and the time of day from each :00 and :30 of the minute, stays on for one hold.
class TimedServiceName {
 public:
  using LocalOffset = std::function<int(std::int64_t unixSeconds)>;  // minutes east of UTC

  explicit TimedServiceName(LocalOffset localOffset);

  // The frame to show at `unixMicros` (Windows-1252). Calls are expected in time order.
  [[nodiscard]] std::string frameAt(const OnAirState& state, std::int64_t unixMicros);

  // When the frame may next change, given the last call; none while the name stands still.
  [[nodiscard]] std::optional<std::int64_t> nextChange(const OnAirState& state) const;

 private:
  [[nodiscard]] std::int64_t localSeconds(std::int64_t unixMicros) const;

  LocalOffset localOffset_;
  std::string name_;
  std::vector<std::string> frames_;
  std::size_t index_ = 0;
  std::int64_t since_ = 0;  // when the current frame began
  std::optional<std::int64_t> timeSlot_;
  std::int64_t timeShownUntil_ = 0;
  std::int64_t now_ = 0;
};

}  // namespace orvane
