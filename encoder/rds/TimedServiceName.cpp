#include "TimedServiceName.h"

#include <algorithm>

#include "ServiceName.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kMinutesPerHour = 60;
constexpr std::int64_t kMinutesPerDay = 1440;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

TimedServiceName::TimedServiceName(LocalOffset localOffset)
    : localOffset_(std::move(localOffset)) {}

// The name's frames wait while the time shows and go on where they stopped.
std::string TimedServiceName::frameAt(std::string_view name, bool timeInName,
                                      std::int64_t steadyMicros, std::int64_t unixMicros,
                                      std::int64_t holdMicros) {
  steadyNow_ = steadyMicros;
  hold_ = holdMicros;
  unixNow_ = unixMicros;
  if (frames_.empty() || name != name_) {
    name_ = name;
    frames_ = serviceNameFrames(name_);
    index_ = 0;
    since_ = steadyNow_;
  }
  const std::int64_t local = localSeconds(unixNow_);
  const std::int64_t slot = floorDiv(local, kTimeEverySeconds);
  if (timeInName && timeSlot_ && slot != *timeSlot_)
    timeShownUntil_ = steadyNow_ + kFrameHoldMicros;
  timeSlot_ = slot;
  if (timeInName && steadyNow_ < timeShownUntil_) {
    since_ = steadyNow_;
    const std::int64_t minute = floorDiv(local, kSecondsPerMinute);
    const std::int64_t ofDay = minute - floorDiv(minute, kMinutesPerDay) * kMinutesPerDay;
    return timeFrame(static_cast<int>(ofDay / kMinutesPerHour),
                     static_cast<int>(ofDay % kMinutesPerHour));
  }
  if (frames_.size() > 1 && steadyNow_ - since_ >= hold_) {
    index_ = (index_ + 1) % frames_.size();
    since_ = steadyNow_;
  }
  return frames_[index_];
}

[[gnu::hot]] std::optional<std::int64_t> TimedServiceName::nextChange(bool timeInName) const {
  std::optional<std::int64_t> next;
  auto earliest = [&next](std::int64_t when) { next = next ? std::min(*next, when) : when; };
  if (frames_.size() > 1) earliest(since_ + hold_);
  if (timeInName) {
    if (steadyNow_ < timeShownUntil_) earliest(timeShownUntil_);
    const std::int64_t local = localSeconds(unixNow_);
    const std::int64_t nextSlot = (floorDiv(local, kTimeEverySeconds) + 1) * kTimeEverySeconds;
    const std::int64_t slotUnix =
        (floorDiv(unixNow_, kMicrosPerSecond) + nextSlot - local) * kMicrosPerSecond;
    earliest(steadyNow_ + slotUnix - unixNow_);
  }
  return next;
}

std::int64_t TimedServiceName::localSeconds(std::int64_t unixMicros) const {
  const std::int64_t seconds = floorDiv(unixMicros, kMicrosPerSecond);
  if (!offsetMinutes_ || seconds != offsetSecond_) {
    offsetSecond_ = seconds;
    offsetMinutes_ = localOffset_(seconds);
  }
  return seconds + std::int64_t{*offsetMinutes_} * kSecondsPerMinute;
}

}  // namespace orvane
