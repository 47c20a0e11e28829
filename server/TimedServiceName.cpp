#include "TimedServiceName.h"

#include <algorithm>

#include "GroupScheduler.h"
#include "ServiceName.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::int64_t kHold = GroupScheduler::kFrameHoldMicros;
constexpr std::int64_t kTimeEvery = GroupScheduler::kTimeEverySeconds;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

TimedServiceName::TimedServiceName(LocalOffset localOffset)
    : localOffset_(std::move(localOffset)) {}

// The frames wait while the time shows and go on where they stopped, as on the software encoder.
std::string TimedServiceName::frameAt(const OnAirState& state, std::int64_t unixMicros) {
  now_ = unixMicros;
  if (frames_.empty() || state.programmeServiceName != name_) {
    name_ = state.programmeServiceName;
    frames_ = serviceNameFrames(name_);
    index_ = 0;
    since_ = now_;
  }
  const std::int64_t local = localSeconds(now_);
  const std::int64_t slot = floorDiv(local, kTimeEvery);
  if (state.timeInServiceName && timeSlot_ && slot != *timeSlot_) timeShownUntil_ = now_ + kHold;
  timeSlot_ = slot;
  if (state.timeInServiceName && now_ < timeShownUntil_) {
    since_ = now_;
    const std::int64_t minute = floorDiv(local, kSecondsPerMinute);
    const std::int64_t ofDay = minute - floorDiv(minute, kMinutesPerDay) * kMinutesPerDay;
    return timeFrame(static_cast<int>(ofDay / kSecondsPerMinute),
                     static_cast<int>(ofDay % kSecondsPerMinute));
  }
  if (frames_.size() > 1 && now_ - since_ >= kHold) {
    index_ = (index_ + 1) % frames_.size();
    since_ = now_;
  }
  return frames_[index_];
}

std::optional<std::int64_t> TimedServiceName::nextChange(const OnAirState& state) const {
  std::optional<std::int64_t> next;
  auto earliest = [&next](std::int64_t when) { next = next ? std::min(*next, when) : when; };
  if (frames_.size() > 1) earliest(since_ + kHold);
  if (state.timeInServiceName) {
    if (now_ < timeShownUntil_) earliest(timeShownUntil_);
    const std::int64_t local = localSeconds(now_);
    const std::int64_t nextSlot = (floorDiv(local, kTimeEvery) + 1) * kTimeEvery;
    earliest((floorDiv(now_, kMicrosPerSecond) + nextSlot - local) * kMicrosPerSecond);
  }
  return next;
}

std::int64_t TimedServiceName::localSeconds(std::int64_t unixMicros) const {
  const std::int64_t seconds = floorDiv(unixMicros, kMicrosPerSecond);
  return seconds + std::int64_t{localOffset_(seconds)} * kSecondsPerMinute;
}

}  // namespace orvane
