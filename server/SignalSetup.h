#pragma once

#include <memory>
#include <string>

#include "OnAirState.h"
#include "ServerOptions.h"
#include "SignalOutput.h"

namespace orvane {

// The output stage the options ask for, on the system's clocks; null with `error` set when an
// output cannot be opened, and null with no error when no output was asked for.
//
// Pacing: by the clock with --realtime, and whenever a console is served and nothing goes to
// standard output, so the console's changes go on air when they are made; otherwise as fast as
// the outputs take it, which for raw samples on standard output is the reader's pace.
[[nodiscard]] std::unique_ptr<SignalOutput> openSignalOutput(const ServerOptions& options,
                                                             const OnAirState& onAir,
                                                             std::string& error);

// Minutes east of UTC of the system's time zone at a Unix time.
[[nodiscard]] int systemLocalOffsetMinutes(std::int64_t unixSeconds);

}  // namespace orvane
