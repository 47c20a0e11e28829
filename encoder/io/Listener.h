#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "FileDescriptor.h"

namespace orvane {

// A non-blocking TCP socket listening on `address`:`port` (port 0: any free port). Invalid and
// `error` filled in when it cannot be had.
[[nodiscard]] FileDescriptor listenOn(const std::string& address, std::uint16_t port,
                                      std::string& error);

// A non-blocking UDP socket bound to `address`:`port` (port 0: any free port), for datagrams from
// anyone; invalid and `error` filled in when it cannot be had.
[[nodiscard]] FileDescriptor bindDatagrams(const std::string& address, std::uint16_t port,
                                           std::string& error);

// How long a peer may stay silent to keepalive probes, or leave replies unacknowledged, before
// its connection is dropped: 10 s idle, then a probe every 5 s, three of them.
inline constexpr int kDeadPeerSeconds = 25;

// Makes a connected socket fail with ETIMEDOUT once its peer has been unreachable for
// kDeadPeerSeconds, though the peer never closed it.
void detectDeadPeer(int socket);

// The port a bound socket ended up on.
[[nodiscard]] std::uint16_t localPort(int socket);

// "address:port" of the other end of a connected socket, for the log.
[[nodiscard]] std::string peerName(int socket);
[[nodiscard]] std::string addressName(const sockaddr_in& where);

}  // namespace orvane
