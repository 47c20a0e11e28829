#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct WallClockTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

using WallClock = std::function<WallClockTime()>;

// The local time of day, as the operator's watch shows it.
WallClockTime localWallClock();

// The server's running account on standard output: what went on air and who came and went, one
// line each, stamped "YYYY-MM-DD HH:MM:SS". Every line is flushed at once, since the operator
// watches this as it happens.
class AirLog {
 public:
  explicit AirLog(std::ostream& out, WallClock clock = localWallClock);

  void write(std::string_view line);
  // Lines caused by one command share one time stamp.
  void write(const std::vector<std::string>& lines);

 private:
  std::ostream& out_;
  WallClock clock_;
};

}  // namespace orvane
