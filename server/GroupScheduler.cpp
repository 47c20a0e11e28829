#include "GroupScheduler.h"

#include <algorithm>

#include "RdsCharset.h"
#include "ServiceName.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerMinute = 60 * kMicrosPerSecond;
constexpr int kSegmentsPerName = 4;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

GroupScheduler::GroupScheduler(std::uint16_t programmeIdentification, LocalOffset localOffset)
    : programmeIdentification_(programmeIdentification), localOffset_(std::move(localOffset)) {}

RdsGroup GroupScheduler::next(const OnAirState& state, std::int64_t startMicros) {
  const GroupHeader header{programmeIdentification_, state.trafficProgramme, state.programmeType};
  groupsSinceProgrammeItem_ = std::min(groupsSinceProgrammeItem_ + 1, kProgrammeItemEvery);
  if (minuteEdgeAtEnd(startMicros) && state.clockTimeGroups) {
    const std::int64_t edge = *minute_ * 60;
    return clockTimeGroup(header, clockTimeAt(edge, localOffset_(edge)));
  }
  if (state.programmeItemGroups && groupsSinceProgrammeItem_ >= kProgrammeItemEvery) {
    groupsSinceProgrammeItem_ = 0;
    return programmeItemGroup(header, state.programmeItemTime);
  }
  const bool radiotextTurn = radiotextTurn_;
  radiotextTurn_ = !radiotextTurn_;
  if (!radiotextTurn) return serviceName(state, header, startMicros);
  if (radiotextPlus_ && ++radiotextTurns_ == kRadiotextPlusEvery) {
    radiotextTurns_ = 0;
    return radiotextPlus_->next(header, radiotext_.message());
  }
  const auto segment = radiotext_.next({rdsText(state.radiotext[0]), rdsText(state.radiotext[1])});
  return radiotextGroup(header, segment.address, segment.textB, segment.characters);
}

// True for the first group whose end comes within half a group of a new minute edge, so that
// exactly one group a minute qualifies and its end is at most 44 ms off the edge. Followed
// whether or not clock time is on, so that switching it on waits for the next edge instead of
// sending a minute that began long ago.
bool GroupScheduler::minuteEdgeAtEnd(std::int64_t startMicros) {
  const std::int64_t end = startMicros + kGroupMicros;
  const std::int64_t minute = floorDiv(end + kGroupMicros / 2, kMicrosPerMinute);
  const bool edge = minute_ && minute != *minute_;
  minute_ = minute;
  return edge;
}

RdsGroup GroupScheduler::serviceName(const OnAirState& state, const GroupHeader& header,
                                     std::int64_t now) {
  if (frames_.empty() || state.programmeServiceName != name_) {
    name_ = state.programmeServiceName;
    frames_ = serviceNameFrames(rdsText(name_));
    frameIndex_ = 0;
    frameSince_ = now;
    segment_ = 0;
  }
  if (segment_ == 0) frame_ = chooseFrame(state, now);
  const RdsGroup group = serviceNameGroup(
      header, segment_, std::string_view(frame_).substr(static_cast<std::size_t>(segment_) * 2, 2),
      state.trafficAnnouncement, state.music, state.decoderIdentification,
      alternativeFrequencies_.nextPair());
  segment_ = (segment_ + 1) % kSegmentsPerName;
  return group;
}

// The time shows for one hold from the first transmission after each :00 and :30 of local time;
// the name's frames wait meanwhile and go on where they stopped.
std::string GroupScheduler::chooseFrame(const OnAirState& state, std::int64_t now) {
  const std::int64_t local = localSeconds(now);
  const std::int64_t slot = floorDiv(local, kTimeEverySeconds);
  if (state.timeInServiceName && timeSlot_ && slot != *timeSlot_) {
    timeShownUntil_ = now + kFrameHoldMicros;
  }
  timeSlot_ = slot;
  if (state.timeInServiceName && now < timeShownUntil_) {
    frameSince_ = now;
    const std::int64_t minuteOfDay = floorDiv(local, 60) - floorDiv(local, 86400) * 1440;
    return timeFrame(static_cast<int>(minuteOfDay / 60), static_cast<int>(minuteOfDay % 60));
  }
  if (frames_.size() > 1 && now - frameSince_ >= kFrameHoldMicros) {
    frameIndex_ = (frameIndex_ + 1) % frames_.size();
    frameSince_ = now;
  }
  return frames_[frameIndex_];
}

std::int64_t GroupScheduler::localSeconds(std::int64_t unixMicros) const {
  const std::int64_t seconds = floorDiv(unixMicros, kMicrosPerSecond);
  return seconds + std::int64_t{localOffset_(seconds)} * 60;
}

}  // namespace orvane
