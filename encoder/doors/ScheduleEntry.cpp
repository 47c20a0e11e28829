#include "ScheduleEntry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvane {
namespace {

constexpr std::array<std::string_view, kDaysPerWeek> kDayNames = {"mon", "tue", "wed", "thu",
                                                                  "fri", "sat", "sun"};
constexpr std::array<std::string_view, kDaysPerWeek> kDayLabels = {"seg", "ter", "qua", "qui",
                                                                   "sex", "sáb", "dom"};
constexpr int kMinutesPerHour = 60;
constexpr int kHoursPerDay = 24;

std::optional<int> dayNamed(std::string_view name) {
  std::string lower(name);
  std::ranges::transform(lower, lower.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (std::size_t day = 0; day < kDayNames.size(); ++day) {
    if (kDayNames[day] == lower) return static_cast<int>(day);
  }
  return std::nullopt;
}

// One item of the list: a day, or a range of days that may run over Sunday into Monday.
bool addDays(std::string_view item, std::bitset<kDaysPerWeek>& days) {
  const std::size_t dash = item.find('-');
  const auto first = dayNamed(item.substr(0, dash));
  const auto last = dash == std::string_view::npos ? first : dayNamed(item.substr(dash + 1));
  if (!first || !last) return false;
  for (int day = *first;; day = (day + 1) % kDaysPerWeek) {
    days.set(static_cast<std::size_t>(day));
    if (day == *last) return true;
  }
}

int twoDigits(std::string_view text) {
  if (text.size() != 2 || !std::isdigit(static_cast<unsigned char>(text[0])) ||
      !std::isdigit(static_cast<unsigned char>(text[1]))) {
    return -1;
  }
  return (text[0] - '0') * 10 + (text[1] - '0');
}

std::string clockTime(int minute) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minute / kMinutesPerHour, minute % kMinutesPerHour);
  return text;
}

std::string dayLabels(const std::bitset<kDaysPerWeek>& days) {
  if (days.all()) return "todos os dias";
  std::string text;
  for (std::size_t day = 0; day < kDaysPerWeek; ++day) {
    if (!days.test(day)) continue;
    if (!text.empty()) text += ",";
    text += kDayLabels[day];
  }
  return text;
}

}  // namespace

std::optional<std::bitset<kDaysPerWeek>> parseDays(std::string_view text) {
  std::bitset<kDaysPerWeek> days;
  while (true) {
    const std::size_t comma = text.find(',');
    if (!addDays(text.substr(0, comma), days)) return std::nullopt;
    if (comma == std::string_view::npos) return days;
    text.remove_prefix(comma + 1);
  }
}

std::optional<int> parseClockTime(std::string_view text) {
  if (text.size() != 5 || text[2] != ':') return std::nullopt;
  const int hour = twoDigits(text.substr(0, 2));
  const int minute = twoDigits(text.substr(3, 2));
  if (hour < 0 || hour >= kHoursPerDay || minute < 0 || minute >= kMinutesPerHour) {
    return std::nullopt;
  }
  return hour * kMinutesPerHour + minute;
}

bool runsAt(const ScheduleEntry& entry, int weekday, int minute) {
  const auto day = static_cast<std::size_t>(weekday);
  if (entry.fromMinute < entry.toMinute) {
    return entry.days.test(day) && minute >= entry.fromMinute && minute < entry.toMinute;
  }
  const auto dayBefore = static_cast<std::size_t>((weekday + kDaysPerWeek - 1) % kDaysPerWeek);
  return (entry.days.test(day) && minute >= entry.fromMinute) ||
         (entry.days.test(dayBefore) && minute < entry.toMinute);
}

std::optional<std::size_t> entryAt(std::span<const ScheduleEntry> entries, int weekday,
                                   int minute) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (runsAt(entries[i], weekday, minute)) return i;
  }
  return std::nullopt;
}

std::string describeEntry(const ScheduleEntry& entry) {
  return "linha " + std::to_string(entry.line) + ", " + dayLabels(entry.days) + " " +
         clockTime(entry.fromMinute) + "-" + clockTime(entry.toMinute);
}

}  // namespace orvane
