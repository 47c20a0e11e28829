#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "UecpFrame.h"
#include "UecpFrameDecoder.h"

namespace orvane {

// UECP over UDP carries one whole frame in each datagram, stuffed as on a line, so that a lost or
// damaged datagram costs one frame and never the next one's start.

// The frame a datagram holds: none unless it is exactly one frame, from its start byte to its stop
// byte, with nothing before, after or between, well stuffed and with the right CRC. A part of a
// frame is never kept for the next datagram to finish.
[[nodiscard]] std::optional<UecpFrame> frameOfDatagram(std::string_view datagram);

// Frames appended one after another, as `appendUecpFrame` makes them, cut into one datagram each:
// a stop byte ends each, since stuffing keeps it out of everything else.
[[nodiscard]] std::vector<std::string_view> datagramsOf(std::string_view frames);

}  // namespace orvane
