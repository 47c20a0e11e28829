#include "ServiceName.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace orvane {
namespace {

// Never under 1.5 s: a receiver needs each frame's four segments twice over before it shows it,
// and a driver needs time to look back at the road.
constexpr std::array<std::int64_t, kMaxScrollSpeed + 1> kHoldBySpeedMillis = {
    8000, 7000, 6000, 5000, 4000, 3500, 3000, 2500, 2000, 1500};
static_assert(kHoldBySpeedMillis[kDefaultScrollSpeed] == 4000);

std::string padded(std::string frame) {
  frame.resize(kServiceNameLength, ' ');
  return frame;
}

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> out;
  for (std::size_t start = 0; start < text.size();) {
    if (text[start] == ' ') {
      ++start;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', start), text.size());
    out.push_back(text.substr(start, end - start));
    start = end;
  }
  return out;
}

}  // namespace

std::vector<std::string> serviceNameFrames(std::string_view name) {
  if (name.size() <= kServiceNameLength) return {padded(std::string(name))};
  std::vector<std::string> frames;
  std::string current;
  auto flush = [&] {
    if (!current.empty()) frames.push_back(padded(std::move(current)));
    current.clear();
  };
  for (std::string_view word : words(name)) {
    for (; word.size() > kServiceNameLength; word.remove_prefix(kServiceNameLength)) {
      flush();
      frames.push_back(std::string(word.substr(0, kServiceNameLength)));
    }
    if (!current.empty() && current.size() + 1 + word.size() > kServiceNameLength) flush();
    if (!current.empty()) current += ' ';
    current += word;
  }
  flush();
  if (frames.empty()) frames.push_back(padded({}));
  return frames;
}

const std::string& serviceNameShown(const OnAirState& state) {
  return state.scrollingServiceName.empty() ? state.programmeServiceName
                                            : state.scrollingServiceName;
}

std::int64_t frameHoldMicros(int speed) {
  return kHoldBySpeedMillis.at(static_cast<std::size_t>(std::clamp(speed, 0, kMaxScrollSpeed))) *
         1000;
}

std::string timeFrame(int hour, int minute) {
  char frame[16];
  std::snprintf(frame, sizeof frame, "  %02d:%02d ", hour % 24, minute % 60);
  return frame;
}

}  // namespace orvane
