#pragma once

namespace orvane {

// Whether the kernel believes its clock is kept right (by NTP or the like). A clock that is not
// may be minutes off, and the clock-time groups carry it to every receiver.
[[nodiscard]] bool systemClockSynchronised();

}  // namespace orvane
