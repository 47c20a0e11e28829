#include "ScheduleClock.h"

#include <ctime>

namespace orvane {
namespace {

constexpr std::int64_t kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;

std::optional<std::size_t> entryAtTime(std::span<const ScheduleEntry> entries,
                                       std::int64_t unixSeconds) {
  const auto time = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (!localtime_r(&time, &local)) return std::nullopt;
  const int monday = (local.tm_wday + kDaysPerWeek - 1) % kDaysPerWeek;
  return entryAt(entries, monday, local.tm_hour * kMinutesPerHour + local.tm_min);
}

}  // namespace

ScheduleMoment scheduleAt(std::span<const ScheduleEntry> entries, std::int64_t unixSeconds) {
  ScheduleMoment moment;
  if (entries.empty()) return moment;
  moment.onAir = entryAtTime(entries, unixSeconds);
  std::optional<std::size_t> previous = moment.onAir;
  const std::int64_t firstMinute = (unixSeconds / kSecondsPerMinute + 1) * kSecondsPerMinute;
  for (int step = 0; step < kScheduleLookAheadMinutes; ++step) {
    const std::int64_t at = firstMinute + step * kSecondsPerMinute;
    const auto running = entryAtTime(entries, at);
    if (running == previous) continue;
    if (!moment.changesAt) moment.changesAt = at;
    if (running) {
      moment.next = running;
      moment.nextStartsAt = at;
      return moment;
    }
    previous = running;
  }
  return moment;
}

}  // namespace orvane
