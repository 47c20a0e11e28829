#include "AirLog.h"

#include <time.h>

#include <cstdio>

namespace orvane {
namespace {

std::string stamp(const WallClockTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return buffer;
}

}  // namespace

WallClockTime localWallClock() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

AirLog::AirLog(std::ostream& out, WallClock clock) : out_(out), clock_(std::move(clock)) {}

void AirLog::write(std::string_view line) {
  write(std::vector<std::string>{std::string(line)});
}

void AirLog::write(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  const std::string when = stamp(clock_());
  for (const auto& line : lines) out_ << when << "  " << line << '\n';
  out_.flush();
}

}  // namespace orvane
