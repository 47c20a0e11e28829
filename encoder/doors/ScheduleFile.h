#pragma once

#include <toml++/toml.h>

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ScheduleEntry.h"

namespace orvane {

// The most entries a file may give: a full week of hourly changes, and then some.
inline constexpr std::size_t kMaxScheduleEntries = 256;

// The `[[schedule]]` tables of a configuration file, in the order given. Each names `from` and
// `to` ("07:00", local time), perhaps `days` ("mon-fri", "sat,sun"; absent: every day), and at
// least one of `ps`, `dps`, `text`, `text2`, `pty` (0 to 31, or its name), `ptyn`; texts are
// UTF-8 and go on air as the doors would take them. The whole schedule or nothing: the errors
// are "FILE:LINE: schedule: why", and entries that overlap are refused with both their lines.
[[nodiscard]] std::variant<std::vector<ScheduleEntry>, std::vector<std::string>> loadSchedule(
    const toml::table& root, std::string_view fileName);

// The schedule of the TOML file at `path`; a file that cannot be read or is not TOML is an
// error "FILE:LINE: why" as well.
[[nodiscard]] std::variant<std::vector<ScheduleEntry>, std::vector<std::string>> readScheduleFile(
    const std::string& path);

}  // namespace orvane
