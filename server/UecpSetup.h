#pragma once

#include <memory>
#include <string>

#include "AirLog.h"
#include "EncoderState.h"
#include "ServerOptions.h"
#include "UecpBridge.h"
#include "UecpListener.h"

namespace orvane {

// The UECP parts the options ask for, on the system's clocks and time zone; null when not asked
// for, and null with `error` set when they cannot be had (a name that cannot be found, a port
// that is taken).
[[nodiscard]] std::unique_ptr<UecpBridge> openUecpBridge(const ServerOptions& options,
                                                         const EncoderState& state, AirLog& log,
                                                         std::string& error);
[[nodiscard]] std::unique_ptr<UecpListener> openUecpListener(const ServerOptions& options,
                                                             EncoderState& state, AirLog& log,
                                                             std::string& error,
                                                             std::uint16_t& port);

// At the end of a run, gives the peers up to kFinishSeconds to take the last state; names in the
// log those that did not. False when one did not.
inline constexpr int kFinishSeconds = 5;
bool finishUecp(UecpBridge& bridge, int stopFd, EncoderState& state, AirLog& log);

}  // namespace orvane
