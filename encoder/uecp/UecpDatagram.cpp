#include "UecpDatagram.h"

namespace orvane {

std::optional<UecpFrame> frameOfDatagram(std::string_view datagram) {
  // Stuffing keeps the start and stop bytes out of a frame's body: one of each, at the ends, and
  // whatever lies between is the frame the decoder judges.
  const auto start = static_cast<char>(kUecpStart), stop = static_cast<char>(kUecpStop);
  if (datagram.size() < 2 || datagram.front() != start ||
      datagram.find(start, 1) != datagram.npos || datagram.find(stop) != datagram.size() - 1) {
    return std::nullopt;
  }
  UecpFrameDecoder decoder;
  std::vector<UecpFrameDecoder::Event> events;
  decoder.feed(datagram, events);
  if (events.size() != 1 || !events.front().isFrame || decoder.midFrame()) return std::nullopt;
  return std::move(events.front().frame);
}

std::vector<std::string_view> datagramsOf(std::string_view frames) {
  std::vector<std::string_view> datagrams;
  while (!frames.empty()) {
    const std::size_t stop = frames.find(static_cast<char>(kUecpStop));
    const std::size_t size = stop == std::string_view::npos ? frames.size() : stop + 1;
    datagrams.push_back(frames.substr(0, size));
    frames.remove_prefix(size);
  }
  return datagrams;
}

}  // namespace orvane
