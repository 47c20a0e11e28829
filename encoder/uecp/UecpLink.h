#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <string>

#include "FileDescriptor.h"
#include "UecpTargetSetting.h"

namespace orvane {

// The system side of a link to a UECP peer: a TCP connection made without waiting, or a serial
// line set to 8N1 at its speed, or UDP datagrams to one peer. Descriptors are non-blocking;
// failures come back as text for the log.

// A socket whose connection to `to` is under way (or already made); invalid on failure. A peer
// that vanishes without a word, or leaves what it is sent unacknowledged, fails it after
// kDeadPeerSeconds, as a console client's connection does.
[[nodiscard]] FileDescriptor startConnect(const sockaddr_in& to, std::string& error);

// A UDP socket whose datagrams go to `to` and whose answers come only from it; invalid on failure.
// There is no connection to wait for: it is ready at once.
[[nodiscard]] FileDescriptor openDatagramLink(const sockaddr_in& to, std::string& error);

// The outcome of a connection attempt, once poll reports the socket writable: empty on success.
[[nodiscard]] std::string connectOutcome(int socket);

[[nodiscard]] FileDescriptor openSerialLine(const std::string& device, int baud,
                                            std::string& error);

// Bytes written but not yet taken by the peer: unacknowledged on TCP, unsent on a serial line.
[[nodiscard]] std::size_t bytesInFlight(int fd);

}  // namespace orvane
