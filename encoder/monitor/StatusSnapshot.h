#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AirView.h"
#include "Alarms.h"
#include "ChangeLedger.h"
#include "KeptAir.h"
#include "SignalOutput.h"
#include "TrafficTimeBound.h"
#include "UecpTarget.h"

namespace orvane {

// The station's schedule: the entry on air and the next to start, as the log describes them.
struct ScheduleStatus {
  std::optional<std::string> onAir;
  std::optional<std::string> next;
  std::optional<std::int64_t> nextStartsUnixMicros;
};

// The configuration file: when it was last applied, and why a later reading was refused.
struct ConfigStatus {
  std::string file;
  std::int64_t loadedAtUnixMicros = 0;
  std::optional<std::string> error;  // none: the file on disk is the one applied
};

// Everything the status page, the event stream and the metrics say, read at one moment, so that
// the three are made by pure functions and always agree.
struct StatusSnapshot {
  std::int64_t unixMicros = 0;
  std::int64_t upMicros = 0;
  std::optional<AirView> air;  // none: no signal is made, so nothing is read back
  std::optional<SignalOutput::Health> signal;
  std::array<std::optional<ChangeLedger::Entry>, kChangeSourceNames.size()> sources;
  std::vector<UecpTarget::Health> targets;
  std::vector<std::pair<std::string, std::size_t>> doorClients;  // door name, clients connected
  std::optional<std::uint64_t> uecpDatagramsDropped;             // none: no UECP listener over UDP
  std::optional<KeptAirHealth> keptAir;                          // none: no state is kept
  std::optional<TrafficTimeBound::Health> traffic;
  std::optional<ScheduleStatus> schedule;  // none: no schedule is given
  std::optional<ConfigStatus> config;      // none: no configuration file
  std::vector<AlarmBook::Raised> alarms;
  std::uint64_t logLinesDropped = 0;
  std::uint64_t logLinesSuppressed = 0;
  std::vector<std::string> recentLog;  // oldest first
};

}  // namespace orvane
