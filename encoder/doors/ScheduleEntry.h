#pragma once

#include <array>
#include <bitset>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

inline constexpr int kMinutesPerDay = 24 * 60;
inline constexpr int kDaysPerWeek = 7;

// What a schedule entry puts on air while it runs; texts in Windows-1252, fit for the air.
struct ScheduleValues {
  std::optional<std::string> serviceName;  // ps or dps
  std::array<std::optional<std::string>, 2> radiotext;
  std::optional<int> programmeType;
  std::optional<std::string> programmeTypeName;
  bool operator==(const ScheduleValues&) const = default;
};

// One entry of the station's week: on the days it names, from `fromMinute` until `toMinute` of
// the local wall clock. A `toMinute` at or before `fromMinute` runs past midnight into the next
// day, and its days are the days it starts on.
struct ScheduleEntry {
  std::bitset<kDaysPerWeek> days;  // bit 0 is Monday
  int fromMinute = 0;              // minutes after local midnight
  int toMinute = 0;
  ScheduleValues values;
  int line = 0;  // where the file gives it, for the log and the status
  bool operator==(const ScheduleEntry&) const = default;
};

// "mon-fri", "sat,sun", "fri-mon", "mon,wed-fri"; any case. None when it is not one.
[[nodiscard]] std::optional<std::bitset<kDaysPerWeek>> parseDays(std::string_view text);
// "07:00" to "23:59", as minutes after midnight. None when it is not one.
[[nodiscard]] std::optional<int> parseClockTime(std::string_view text);

// Whether `entry` runs at `minute` of local `weekday` (0 is Monday).
[[nodiscard]] bool runsAt(const ScheduleEntry& entry, int weekday, int minute);
// The entry that runs then, by its index; none when none does. Entries never overlap.
[[nodiscard]] std::optional<std::size_t> entryAt(std::span<const ScheduleEntry> entries,
                                                 int weekday, int minute);

// "linha 12, seg-sex 07:00-10:00", for the log and the status.
[[nodiscard]] std::string describeEntry(const ScheduleEntry& entry);

}  // namespace orvane
