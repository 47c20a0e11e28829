#pragma once

#include <cstdint>

namespace orvane {

// The system's clocks and time zone, for the parts of the encoder that take their clocks as
// functions so that tests can step them.

// Microseconds from any origin; never steps, so it paces and times out.
[[nodiscard]] std::int64_t monotonicMicros();
// Microseconds of Unix time: the time of day, which may be put right.
[[nodiscard]] std::int64_t unixMicros();
// Minutes east of UTC of the system's time zone at a Unix time.
[[nodiscard]] int systemLocalOffsetMinutes(std::int64_t unixSeconds);
// Reads the system's time zone now rather than at the first local time asked for: read later, at
// the descriptor limit, it would fail and leave the clock group and the log on UTC for good.
void loadSystemTimeZone();

}  // namespace orvane
