#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "ScheduleEntry.h"

namespace orvane {

// Where the schedule stands at one moment: the entry on air, when that next changes, and the
// next entry to start. Entries run by the local wall clock, as the C library's time zone rules
// (TZ) give it: on the night the clocks go forward an entry due in the skipped hour starts when
// the clock resumes (02:30 starts at 03:00), and one that lies wholly in it does not run; on the
// night they go back the repeated hour runs its entries again. A station's programme follows
// the clock on the wall, and so does this.
struct ScheduleMoment {
  std::optional<std::size_t> onAir;
  std::optional<std::int64_t> changesAt;  // Unix seconds; none: nothing ever changes
  std::optional<std::size_t> next;
  std::optional<std::int64_t> nextStartsAt;  // Unix seconds
};

// How far ahead the next change is looked for: a week and a day covers every weekly entry.
inline constexpr int kScheduleLookAheadMinutes = 8 * kMinutesPerDay;

// Transitions fall on whole minutes of Unix time, as every time zone in use today has offsets of
// whole minutes.
[[nodiscard]] ScheduleMoment scheduleAt(std::span<const ScheduleEntry> entries,
                                        std::int64_t unixSeconds);

}  // namespace orvane
