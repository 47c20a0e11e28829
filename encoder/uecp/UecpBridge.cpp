#include "UecpBridge.h"

#include <time.h>

#include <algorithm>

#include "ServiceName.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerHour = 3600 * kMicrosPerSecond;
constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr int kMinutesPerHalfHour = 30;
constexpr int kCentisecondMicros = 10'000;
// How often a finishing bridge looks whether the peers have taken the last bytes: no event says.
constexpr int kFinishPollMs = 20;
constexpr auto kServiceName = static_cast<std::size_t>(OnAirField::ServiceName);

}  // namespace

UecpBridge::UecpBridge(const EncoderState& state, Clocks clocks, const UecpTextMemory* texts)
    : state_(state),
      clocks_(std::move(clocks)),
      texts_(texts),
      serviceName_(clocks_.localOffsetMinutes) {}

void UecpBridge::addTarget(UecpTargetSetting setting, AirLog& log) {
  targets_.emplace_back(std::move(setting), log, [this] { return clockAt(clocks_.unixMicros()); });
}

void UecpBridge::setTargets(const std::vector<UecpTargetSetting>& settings, AirLog& log) {
  std::vector<UecpTarget> old = std::move(targets_);
  targets_.clear();
  std::vector<bool> kept(old.size(), false);
  for (const UecpTargetSetting& setting : settings) {
    std::size_t i = 0;
    while (i < old.size() && (kept[i] || old[i].setting() != setting)) ++i;
    if (i == old.size()) {
      addTarget(setting, log);
      continue;
    }
    targets_.push_back(std::move(old[i]));
    kept[i] = true;
  }
  for (std::size_t i = 0; i < old.size(); ++i) {
    if (!kept[i]) log.write("UECP " + old[i].name() + ": retirado");
  }
}

PollTask::Wait UecpBridge::wait() {
  Wait wait;
  std::optional<std::int64_t> next;
  auto earliest = [&next](std::optional<std::int64_t> when) {
    if (when) next = next ? std::min(*next, *when) : *when;
  };
  for (const UecpTarget& target : targets_) {
    wait.fds.push_back(target.pollEntry());
    earliest(target.deadline());
  }
  const std::int64_t now = clocks_.monotonicMicros();
  const std::int64_t unixNow = clocks_.unixMicros();
  earliest(serviceName_.nextChange(state_.onAir().timeInServiceName));
  // The next hour of the wall clock, moved onto the monotonic one.
  earliest(now + (unixNow / kMicrosPerHour + 1) * kMicrosPerHour - unixNow);
  earliest(finishBy_);
  if (next) {
    wait.timeoutMs = static_cast<int>(
        (std::max<std::int64_t>(0, *next - now) + kMicrosPerMilli - 1) / kMicrosPerMilli);
  }
  if (finishBy_)
    wait.timeoutMs = std::min(wait.timeoutMs < 0 ? kFinishPollMs : wait.timeoutMs, kFinishPollMs);
  return wait;
}

[[gnu::hot]] bool UecpBridge::service(std::span<const pollfd> polled) {
  const std::int64_t now = clocks_.monotonicMicros();
  const std::int64_t unixNow = clocks_.unixMicros();
  const std::int64_t hour = unixNow / kMicrosPerHour;
  if (hour_ && hour != *hour_) {
    for (UecpTarget& target : targets_) target.setClockDue();
  }
  hour_ = hour;
  refreshWanted(now, unixNow);
  for (std::size_t i = 0; i < targets_.size(); ++i) {
    targets_[i].service(i < polled.size() ? polled[i].revents : 0, wanted_, now);
  }
  return !finishBy_ || (now < *finishBy_ && !lagging().empty());
}

std::vector<std::string> UecpBridge::lagging() const {
  std::vector<std::string> names;
  for (const UecpTarget& target : targets_) {
    if (!target.holds(wanted_)) names.push_back(target.name());
  }
  return names;
}

// The name's frames are timed on the monotonic clock, so that a clock put back cannot hold one.
[[gnu::hot]] void UecpBridge::refreshWanted(std::int64_t monotonicMicros, std::int64_t unixMicros) {
  const OnAirState& onAir = state_.onAir();
  // The frame is asked for only when it may have moved: a name given, or its time come.
  const std::optional<std::int64_t> due = serviceName_.nextChange(onAir.timeInServiceName);
  bool frameMoved = false;
  if (madeFrom_[kServiceName] != state_.revision(OnAirField::ServiceName) ||
      (due && monotonicMicros >= *due)) {
    std::string frame =
        serviceName_.frameAt(serviceNameShown(onAir), onAir.timeInServiceName, monotonicMicros,
                             unixMicros, frameHoldMicros(onAir.scrollSpeed));
    frameMoved = frame != frame_;
    if (frameMoved) frame_ = std::move(frame);
  }
  for (std::size_t i = 0; i < kOnAirFieldCount; ++i) {
    const auto field = static_cast<OnAirField>(i);
    const std::uint64_t revision = state_.revision(field);
    if (madeFrom_[i] == revision && !(field == OnAirField::ServiceName && frameMoved)) continue;
    madeFrom_[i] = revision;
    std::vector<std::string> elements;
    if (state_.assigned().has(field)) elements = uecpElements(field, onAir, frame_, texts_);
    if (elements == wanted_.elements[i]) continue;
    wanted_.elements[i] = std::move(elements);
    ++wanted_.revisions[i];
  }
}

UecpClock UecpBridge::clockAt(std::int64_t unixMicros) const {
  const auto seconds = static_cast<time_t>(unixMicros / kMicrosPerSecond);
  struct tm utc {};
  gmtime_r(&seconds, &utc);
  UecpClock clock;
  clock.year = utc.tm_year + 1900;
  clock.month = utc.tm_mon + 1;
  clock.day = utc.tm_mday;
  clock.hour = utc.tm_hour;
  clock.minute = utc.tm_min;
  clock.second = utc.tm_sec;
  clock.centisecond = static_cast<int>(unixMicros % kMicrosPerSecond / kCentisecondMicros);
  const int offset = clocks_.localOffsetMinutes(seconds);
  clock.offsetHalfHours = (offset + (offset < 0 ? -kMinutesPerHalfHour : kMinutesPerHalfHour) / 2) /
                          kMinutesPerHalfHour;
  return clock;
}

std::vector<UecpTarget::Health> UecpBridge::health() const {
  std::vector<UecpTarget::Health> all;
  const std::int64_t now = clocks_.monotonicMicros();
  for (const UecpTarget& target : targets_) all.push_back(target.health(now));
  return all;
}

}  // namespace orvane
