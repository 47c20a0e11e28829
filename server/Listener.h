#pragma once

#include <cstdint>
#include <string>

#include "FileDescriptor.h"

namespace orvane {

// A non-blocking TCP socket listening on `address`:`port` (port 0: any free port). Invalid and
// `error` filled in when it cannot be had.
[[nodiscard]] FileDescriptor listenOn(const std::string& address, std::uint16_t port,
                                      std::string& error);

// The port a bound socket ended up on.
[[nodiscard]] std::uint16_t localPort(int socket);

// "address:port" of the other end of a connected socket, for the log.
[[nodiscard]] std::string peerName(int socket);

}  // namespace orvane
