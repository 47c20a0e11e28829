#include "SystemClock.h"

#include <time.h>

#include <chrono>

namespace orvane {

[[gnu::hot]] std::int64_t monotonicMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

[[gnu::hot]] std::int64_t unixMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

int systemLocalOffsetMinutes(std::int64_t unixSeconds) {
  const auto when = static_cast<time_t>(unixSeconds);
  struct tm local {};
  if (localtime_r(&when, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

void loadSystemTimeZone() {
  tzset();
}

}  // namespace orvane
