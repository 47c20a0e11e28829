#pragma once

#include <string>

#include "StatusSnapshot.h"

namespace orvane {

// The status in Prometheus' text format (version 0.0.4), for GET /metrics: counters end in
// _total, times are in seconds, every metric has its HELP and TYPE.
[[nodiscard]] std::string metricsText(const StatusSnapshot& status);

}  // namespace orvane
