#pragma once

#include <netinet/in.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AirLog.h"
#include "EncoderState.h"
#include "ServerOptions.h"
#include "UecpBridge.h"
#include "UecpListener.h"

namespace orvane {

// Where each --uecp target is, looked up once (serial lines need no look-up); nullopt with
// `error` set when a name cannot be found. Done before the bridge is made, so that the program
// can fail before it says it is serving, and the bridge's first log lines come after that.
using UecpAddresses = std::vector<std::optional<sockaddr_in>>;
[[nodiscard]] std::optional<UecpAddresses> resolveUecpTargets(const ServerOptions& options,
                                                              std::string& error);

// The UECP parts the options ask for, on the system's clocks and time zone; null when not asked
// for, and, for the listener, null with `error` set when it cannot be had (a port that is taken).
[[nodiscard]] std::unique_ptr<UecpBridge> openUecpBridge(const ServerOptions& options,
                                                         const UecpAddresses& addresses,
                                                         const EncoderState& state, AirLog& log);
[[nodiscard]] std::unique_ptr<UecpListener> openUecpListener(const ServerOptions& options,
                                                             EncoderState& state, AirLog& log,
                                                             std::string& error,
                                                             std::uint16_t& port);

// At the end of a run, gives the peers up to kFinishSeconds to take the last state; names in the
// log those that did not. False when one did not.
inline constexpr int kFinishSeconds = 5;
bool finishUecp(UecpBridge& bridge, int stopFd, EncoderState& state, AirLog& log);

}  // namespace orvane
