#include "ClockSync.h"

#include <sys/timex.h>

namespace orvane {

bool systemClockSynchronised() {
  timex reading{};
  // Reading only: with modes 0 nothing is set, so no privilege is needed.
  const int state = adjtimex(&reading);
  return state != -1 && state != TIME_ERROR && (reading.status & STA_UNSYNC) == 0;
}

}  // namespace orvane
