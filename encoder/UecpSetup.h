#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AirLog.h"
#include "EncoderState.h"
#include "ServerOptions.h"
#include "UecpBridge.h"
#include "UecpListener.h"

namespace orvane {

// The UECP parts the options ask for, on the system's clocks and time zone; null when not asked
// for, and, for the listener, null with `error` set when it cannot be had (a port that is taken).
// A target whose name cannot be found is not a failure here: it is a target that is down, looked
// up again at every attempt, and a run that must reach it fails at its end, naming it. Both keep
// `texts`, so that what UECP clients send reaches UECP targets in their own characters.
[[nodiscard]] std::unique_ptr<UecpBridge> openUecpBridge(const ServerOptions& options,
                                                         const EncoderState& state, AirLog& log,
                                                         const UecpTextMemory& texts);
[[nodiscard]] std::unique_ptr<UecpListener> openUecpListener(const ServerOptions& options,
                                                             EncoderState& state, AirLog& log,
                                                             UecpTextMemory& texts,
                                                             std::string& error,
                                                             std::uint16_t& port);

// Whether a reload can move the listener to `next` while its clients stay: the same transport
// and the same own address (sessions answer as that), and a listener there before and after.
[[nodiscard]] bool uecpListenerMoves(const UecpListener* listener,
                                     const std::optional<UecpListenSetting>& next);
// Moves the listener to `next`'s place, opened before the old one closes; the error when it
// cannot be had (a port in use), the listener then staying where it was.
[[nodiscard]] std::optional<std::string> moveUecpListener(UecpListener& listener,
                                                          const UecpListenSetting& next,
                                                          AirLog& log);

// At the end of a run, gives the peers up to kFinishSeconds to take the last state; names in the
// log those that did not. False when one did not.
inline constexpr int kFinishSeconds = 5;
bool finishUecp(UecpBridge& bridge, int stopFd, EncoderState& state, AirLog& log);

}  // namespace orvane
