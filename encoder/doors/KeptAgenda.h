#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "ScheduleEntry.h"

namespace orvane {

// A schedule entry on air, as the state file keeps it: the entry, and the values it found on air
// when it started (those it sets), which come back when it ends. Kept so that an encoder
// restarted during an entry gives back, at its end, the station's air rather than the entry's.
struct KeptAgenda {
  ScheduleEntry entry;
  ScheduleValues before;
  bool operator==(const KeptAgenda&) const = default;
};

[[nodiscard]] nlohmann::json keptAgendaJson(const KeptAgenda& kept);
// None when `json` is not one written by keptAgendaJson with every value in range.
[[nodiscard]] std::optional<KeptAgenda> readKeptAgenda(const nlohmann::json& json);

}  // namespace orvane
