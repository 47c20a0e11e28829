#pragma once

#include <string>

#include "StatusSnapshot.h"

namespace orvane {

// The status as one line of JSON: the body of GET /status and the data of each event. Field names
// are English and stable, for scripts; texts are as a receiver shows them. docs/monitoring.md
// describes every field.
[[nodiscard]] std::string statusJson(const StatusSnapshot& status);

// "0A", "11B": a group type by its index in the view's counts.
[[nodiscard]] std::string groupTypeName(std::size_t index);

}  // namespace orvane
