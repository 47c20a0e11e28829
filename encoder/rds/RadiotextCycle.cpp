#include "RadiotextCycle.h"

#include <algorithm>

#include "RdsLimits.h"

namespace orvane {
namespace {

constexpr char kEndOfText = 0x0D;
constexpr int kCharactersPerSegment = 4;

// The line after `current` (line 0 first) when it has text, otherwise the one that has, and
// line 0 when neither has.
int nextLine(int current, const std::array<std::string, 2>& lines) {
  const std::size_t preferred = current == 0 ? 1 : 0;
  if (!lines[preferred].empty()) return static_cast<int>(preferred);
  if (!lines[1 - preferred].empty()) return static_cast<int>(1 - preferred);
  return 0;
}

}  // namespace

RadiotextCycle::Segment RadiotextCycle::next(const std::array<std::string, 2>& lines) {
  const bool lineGone = line_ < 0 || lines[static_cast<std::size_t>(line_)].empty();
  if (lineGone) {
    const int line = nextLine(line_, lines);
    if (line != line_ || lines[static_cast<std::size_t>(line)] != message_) {
      startMessage(line, lines[static_cast<std::size_t>(line)]);
    }
  } else if (lines[static_cast<std::size_t>(line_)] != message_) {
    startMessage(line_, lines[static_cast<std::size_t>(line_)]);
  } else if (otherLineEdited(lines)) {
    startMessage(1 - line_, lines[static_cast<std::size_t>(1 - line_)]);
  } else if (address_ == 0 && groupsOnAir_ >= kDwellGroups && passes_ >= kMinimumPasses) {
    const int line = nextLine(line_, lines);
    if (line != line_) startMessage(line, lines[static_cast<std::size_t>(line)]);
  }

  other_ = lines[static_cast<std::size_t>(1 - line_)];
  std::string padded = message_.substr(0, kMaxRadiotextLength);
  if (padded.size() < kMaxRadiotextLength) padded += kEndOfText;
  padded.resize(static_cast<std::size_t>(segmentCount() * kCharactersPerSegment), ' ');
  Segment segment{address_, textB_,
                  padded.substr(static_cast<std::size_t>(address_ * kCharactersPerSegment),
                                kCharactersPerSegment)};
  // Counted only as far as they matter, so that an encoder left running for years cannot wrap.
  groupsOnAir_ = std::min(groupsOnAir_ + 1, kDwellGroups);
  if (++address_ == segmentCount()) {
    address_ = 0;
    passes_ = std::min(passes_ + 1, kMinimumPasses);
  }
  return segment;
}

bool RadiotextCycle::editWaiting(const std::array<std::string, 2>& lines) const {
  if (line_ < 0) return false;
  const std::string& onAir = lines[static_cast<std::size_t>(line_)];
  if (!onAir.empty()) return onAir != message_ || otherLineEdited(lines);
  const int line = nextLine(line_, lines);
  return line != line_ || lines[static_cast<std::size_t>(line)] != message_;
}

std::string_view RadiotextCycle::message() const {
  return std::string_view(message_).substr(0, kMaxRadiotextLength);
}

std::optional<RadiotextCycle::Rotation> RadiotextCycle::rotation() const {
  if (line_ < 0) return std::nullopt;
  return Rotation{line_, textB_};
}

void RadiotextCycle::resume(Rotation rotation, const std::array<std::string, 2>& lines) {
  line_ = std::clamp(rotation.line, 0, 1);
  message_ = lines[static_cast<std::size_t>(line_)];
  other_ = lines[static_cast<std::size_t>(1 - line_)];
  address_ = 0;
  groupsOnAir_ = 0;
  passes_ = 0;
  textB_ = rotation.textB;
}

// An other line that was emptied is no news: it simply drops out of the turns.
bool RadiotextCycle::otherLineEdited(const std::array<std::string, 2>& lines) const {
  const std::string& other = lines[static_cast<std::size_t>(1 - line_)];
  return !other.empty() && other != other_;
}

void RadiotextCycle::startMessage(int line, const std::string& text) {
  line_ = line;
  message_ = text;
  address_ = 0;
  groupsOnAir_ = 0;
  passes_ = 0;
  textB_ = !textB_;
}

// A full 64-character text needs no end mark; a shorter one ends with a carriage return.
int RadiotextCycle::segmentCount() const {
  const std::size_t length = std::min(message_.size(), kMaxRadiotextLength);
  const std::size_t withEnd = length < kMaxRadiotextLength ? length + 1 : length;
  return static_cast<int>((withEnd + kCharactersPerSegment - 1) / kCharactersPerSegment);
}

}  // namespace orvane
