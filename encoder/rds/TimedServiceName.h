#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The 8-character frame of the service name to show at a given time: each frame of a long name,
// and the time of day from each :00 and :30 of local time, stays on for one hold. The software
// encoder takes its 0A groups' frames from it, and the UECP bridge the whole frames it sends,
// since UECP has no element for a cyclic name or for the time in the name.
//
// Two times go in. The time of day may be stepped (a clock put right) and decides when the time
// shows; the steady time only runs forward and measures the holds, so that a step back cannot
// freeze a frame. Calls are expected in time order.
class TimedServiceName {
 public:
  using LocalOffset = std::function<int(std::int64_t unixSeconds)>;  // minutes east of UTC

  // A frame, and the time of day, stay on for at least this long.
  static constexpr std::int64_t kFrameHoldMicros = 4'000'000;
  static constexpr std::int64_t kTimeEverySeconds = 30;

  explicit TimedServiceName(LocalOffset localOffset);

  // The frame of `name` (in whatever character set it is sent) to show now, each of its frames
  // held for `holdMicros`.
  [[nodiscard]] std::string frameAt(std::string_view name, bool timeInName,
                                    std::int64_t steadyMicros, std::int64_t unixMicros,
                                    std::int64_t holdMicros = kFrameHoldMicros);

  // When the frame may next change, in steady time, given the last call; none while the name
  // stands still.
  [[nodiscard]] std::optional<std::int64_t> nextChange(bool timeInName) const;

 private:
  [[nodiscard]] std::int64_t localSeconds(std::int64_t unixMicros) const;

  LocalOffset localOffset_;
  std::string name_;
  std::vector<std::string> frames_;
  std::size_t index_ = 0;
  std::int64_t since_ = 0;                // when the current frame began
  std::int64_t hold_ = kFrameHoldMicros;  // of the name's frames, as the last call gave it
  std::optional<std::int64_t> timeSlot_;  // which half minute of local time it was
  std::int64_t timeShownUntil_ = 0;
  std::int64_t steadyNow_ = 0;
  std::int64_t unixNow_ = 0;
  // The offset of the second last asked about: the loop asks many times a second, and the zone's
  // rules cost a look-up each time.
  mutable std::int64_t offsetSecond_ = 0;
  mutable std::optional<int> offsetMinutes_;
};

}  // namespace orvane
