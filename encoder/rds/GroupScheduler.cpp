#include "GroupScheduler.h"

#include <algorithm>
#include <span>
#include <utility>

#include "RdsCharset.h"
#include "RdsLimits.h"
#include "ServiceName.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerMinute = 60 * kMicrosPerSecond;
constexpr int kSegmentsPerName = 4;
constexpr int kTypeAndVersionShift = 11;  // of block 2: 0 for a 0A
// How long after a minute edge a group may still end and carry that minute.
constexpr std::int64_t kLatestEdgeMicros = GroupScheduler::kGroupMicros;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

}  // namespace

GroupScheduler::GroupScheduler(std::uint16_t programmeIdentification, LocalOffset localOffset,
                               std::optional<std::uint8_t> countryCode)
    : programmeIdentification_(programmeIdentification),
      localOffset_(std::move(localOffset)),
      countryCode_(countryCode),
      serviceName_(localOffset_) {}

GroupScheduler::Continuity GroupScheduler::continuity() const {
  return {radiotext_.rotation(), radiotextPlus_ ? radiotextPlus_->item() : std::nullopt};
}

void GroupScheduler::resume(const Continuity& continuity,
                            const std::array<std::string, 2>& radiotext) {
  if (continuity.rotation) {
    radiotext_.resume(*continuity.rotation, {rdsText(radiotext[0]), rdsText(radiotext[1])});
  }
  if (continuity.songItem && radiotextPlus_) radiotextPlus_->resume(*continuity.songItem);
}

RdsGroup GroupScheduler::next(const OnAirState& state, const GroupTime& time) {
  RdsGroup group = choose(state, time);
  if (state.programmeTypeName.empty()) typeNameEditIsNews_ = true;
  const unsigned typeAndVersion = group.blocks[1] >> kTypeAndVersionShift;
  recentNames_ =
      (recentNames_ << 1 | (typeAndVersion == 0 ? 1 : 0)) & ((1u << (kNameWindow - 1)) - 1);
  return group;
}

RdsGroup GroupScheduler::choose(const OnAirState& state, const GroupTime& time) {
  const GroupHeader header{state.programmeIdentification.value_or(programmeIdentification_),
                           state.trafficProgramme, state.programmeType};
  groupsSinceProgrammeItem_ = std::min(groupsSinceProgrammeItem_ + 1, kCountryCodeEvery);
  otherNetworks_.tick(state);
  const bool wasBetween = std::exchange(putBetween_, false);
  if (minuteEdgeAtEnd(time.unixMicros) && state.clockTimeGroups) {
    const std::int64_t edge = *minute_ * 60;
    return clockTimeGroup(header, clockTimeAt(edge, localOffset_(edge)));
  }
  const bool room = roomBetween(state, time.unixMicros);
  if (programmeItemDue(state) && room) {
    groupsSinceProgrammeItem_ = 0;
    return programmeItemGroup(
        header, state.programmeItemGroups ? std::optional(state.programmeItemTime) : std::nullopt,
        countryCode_);
  }
  const SlotKind place = sequence_.at(place_);
  const bool givenWay = !hasGroupFor(place, state);
  const SlotKind carries = givenWay ? SlotKind::Radiotext : place;
  // An edit that is not what the place carries takes a radiotext's place, goes in between
  // before anything else, or, with no room for that, takes the place of anything but a 0A; a
  // 0A's place with no room before it goes second, in the next place's stead. Edits in a flood
  // go in between only every other group, so that the sequence always moves.
  const std::optional<SlotKind> edit = wasBetween ? std::nullopt : editWaiting(state);
  if (edit && *edit != carries) {
    if (carries == SlotKind::Radiotext) {
      advance();
      return groupFor(*edit, state, header, time);
    }
    if (room || *edit == SlotKind::ServiceName) {
      putBetween_ = true;
      return groupFor(*edit, state, header, time);
    }
    if (carries != SlotKind::ServiceName) {
      advance();
      return groupFor(*edit, state, header, time);
    }
    if (roomBetween(state, time.unixMicros, true)) {
      putBetween_ = skipNextPlace_ = true;
      return groupFor(*edit, state, header, time);
    }
  }
  if (otherNetworks_.burstDue() && (room || carries != SlotKind::ServiceName)) {
    if (carries != SlotKind::ServiceName) advance();
    return otherNetworks_.next(state, header);
  }
  advance();
  return groupFor(carries, state, header, time);
}

void GroupScheduler::advance() {
  place_ = (place_ + (std::exchange(skipNextPlace_, false) ? 2 : 1)) % sequence_.size();
}

std::optional<SlotKind> GroupScheduler::editWaiting(const OnAirState& state) {
  if (nameSent_ && nameShown(state) != name_) return SlotKind::ServiceName;
  if (radiotext_.editWaiting(radiotextLines(state))) return SlotKind::Radiotext;
  if (typeNameEditIsNews_ && !state.programmeTypeName.empty() &&
      state.programmeTypeName != typeName_) {
    return SlotKind::TypeName;
  }
  return std::nullopt;
}

// Whether a group that is no 0A may go in between now: every window of kNameWindow groups that
// holds it, of the last groups and the places ahead (a 4A among them where the minute edge
// falls), still holds kLeastNamesPerWindow 0A.
bool GroupScheduler::roomBetween(const OnAirState& state, std::int64_t startMicros,
                                 bool skippingNext) const {
  constexpr int kBefore = kNameWindow - 1;
  std::array<bool, 2 * kNameWindow - 1> names{};
  for (int i = 0; i < kBefore; ++i) {
    names[static_cast<std::size_t>(i)] = ((recentNames_ >> (kBefore - 1 - i)) & 1) != 0;
  }
  const int edge = state.clockTimeGroups ? groupsToMinuteEdge(startMicros) : 0;
  std::size_t ahead = place_;
  for (int j = 1; j < kNameWindow; ++j) {
    if (j == edge) continue;
    if (skippingNext && ahead == place_ + 1) ++ahead;
    names[static_cast<std::size_t>(kBefore + j)] = sequence_.at(ahead++) == SlotKind::ServiceName;
  }
  for (std::size_t from = 0; from + kNameWindow <= names.size(); ++from) {
    const auto window = std::span(names).subspan(from, kNameWindow);
    if (std::ranges::count(window, true) < kLeastNamesPerWindow) return false;
  }
  return true;
}

bool GroupScheduler::hasGroupFor(SlotKind kind, const OnAirState& state) {
  switch (kind) {
    case SlotKind::ServiceName:
    case SlotKind::Radiotext:
      return true;
    case SlotKind::Announcement:
      return radiotextPlus_ || !state.enhancedRadiotext.empty();
    case SlotKind::TypeName:
      return !state.programmeTypeName.empty();
    case SlotKind::RadiotextPlus:  // an edit goes out before the tags that would describe it
      return radiotextPlus_ && !radiotext_.editWaiting(radiotextLines(state));
    case SlotKind::EnhancedRadiotext:
      return !state.enhancedRadiotext.empty();
    case SlotKind::OtherNetwork:
      return otherNetworks_.variantDue();
    case SlotKind::LongName:
      return !state.longServiceName.empty();
  }
  return false;
}

RdsGroup GroupScheduler::groupFor(SlotKind kind, const OnAirState& state, const GroupHeader& header,
                                  const GroupTime& time) {
  switch (kind) {
    case SlotKind::ServiceName:
      return serviceName(state, header, time);
    case SlotKind::Radiotext:
      return radiotextSegment(state, header);
    case SlotKind::Announcement:
      return announcement(state, header);
    case SlotKind::TypeName:
      return typeName(state, header);
    case SlotKind::RadiotextPlus:
      return radiotextPlusTags(state, header);
    case SlotKind::EnhancedRadiotext:
      return enhancedRadiotext_.next(header, state.enhancedRadiotext);
    case SlotKind::OtherNetwork:
      return otherNetworks_.next(state, header);
    case SlotKind::LongName:
      return longName(state, header);
  }
  return serviceName(state, header, time);
}

// With both applications on air, their announcements take turns.
RdsGroup GroupScheduler::announcement(const OnAirState& state, const GroupHeader& header) {
  const bool enhanced = !state.enhancedRadiotext.empty();
  if (radiotextPlus_ && enhanced) announceEnhanced_ = !announceEnhanced_;
  if (enhanced && (!radiotextPlus_ || announceEnhanced_)) {
    return EnhancedRadiotext::announcement(header);
  }
  return RadiotextPlus::announcement(header);
}

const std::array<std::string, 2>& GroupScheduler::radiotextLines(const OnAirState& state) {
  for (std::size_t i = 0; i < seenRadiotext_.size(); ++i) {
    if (state.radiotext[i] != seenRadiotext_[i]) {
      seenRadiotext_[i] = state.radiotext[i];
      rdsRadiotext_[i] = rdsText(seenRadiotext_[i]);
    }
  }
  return rdsRadiotext_;
}

RdsGroup GroupScheduler::radiotextSegment(const OnAirState& state, const GroupHeader& header) {
  const auto segment = radiotext_.next(radiotextLines(state));
  return radiotextGroup(header, segment.address, segment.textB, segment.characters);
}

RdsGroup GroupScheduler::radiotextPlusTags(const OnAirState& state, const GroupHeader& header) {
  const auto& song = state.songTags;
  const bool songOnAir = song && rdsText(song->text) == radiotext_.message();
  return radiotextPlus_->tagGroup(header, radiotext_.message(), radiotextLines(state),
                                  songOnAir ? &song->tags : nullptr);
}

// The first group that ends at or after half a group before a minute edge, and less than a group
// after it, carries the minute: on a steady clock its end is within half a group of the edge, and
// a clock's jitter can only move it later, still within the 0.1 s receivers allow. Followed whether
// or not clock time is on, so that switching it on waits for the next edge instead of sending a
// minute that began long ago; and a clock stepped to mid-minute waits for the next edge too.
bool GroupScheduler::minuteEdgeAtEnd(std::int64_t startMicros) {
  const std::int64_t end = startMicros + kGroupMicros;
  const std::int64_t minute = floorDiv(end + kGroupMicros / 2, kMicrosPerMinute);
  const bool onEdge = end - minute * kMicrosPerMinute < kLatestEdgeMicros;
  if (!onEdge || minute == minute_) return false;
  minute_ = minute;
  return true;
}

// How many groups after the one starting at `startMicros` the next 4A goes, on a steady clock.
int GroupScheduler::groupsToMinuteEdge(std::int64_t startMicros) const {
  const std::int64_t edge =
      (floorDiv(startMicros + kGroupMicros + kGroupMicros / 2, kMicrosPerMinute) + 1) *
      kMicrosPerMinute;
  const std::int64_t firstEnd = edge - kGroupMicros / 2 - startMicros;  // of the group carrying it
  return static_cast<int>((firstEnd + kGroupMicros - 1) / kGroupMicros) - 1;
}

bool GroupScheduler::programmeItemDue(const OnAirState& state) const {
  if (state.programmeItemGroups) return groupsSinceProgrammeItem_ >= kProgrammeItemEvery;
  return countryCode_ && groupsSinceProgrammeItem_ >= kCountryCodeEvery;
}

// TA without TP says that another programme, named in EON data, carries traffic news; with no
// such data on air that would be false, so a traffic announcement goes out only with TP.
bool GroupScheduler::trafficNameShown(const OnAirState& state) const {
  return !trafficName_.empty() && state.trafficAnnouncement && state.trafficProgramme;
}

const std::string& GroupScheduler::nameShown(const OnAirState& state) const {
  return trafficNameShown(state) ? trafficName_ : serviceNameShown(state);
}

// The traffic name, like any edit, starts at segment 0, and goes out without the time of day:
// a listener waiting for the traffic news must not read a clock instead.
RdsGroup GroupScheduler::serviceName(const OnAirState& state, const GroupHeader& header,
                                     const GroupTime& time) {
  if (nameShown(state) != name_) {
    name_ = nameShown(state);
    segment_ = 0;
  }
  nameSent_ = true;
  const bool traffic = trafficNameShown(state);
  if (segment_ == 0) {
    frame_ =
        serviceName_.frameAt(rdsText(name_), state.timeInServiceName && !traffic, time.signalMicros,
                             time.unixMicros, frameHoldMicros(state.scrollSpeed));
  }
  const RdsGroup group = serviceNameGroup(
      header, segment_, std::string_view(frame_).substr(static_cast<std::size_t>(segment_) * 2, 2),
      state.trafficAnnouncement && state.trafficProgramme, state.music, state.decoderIdentification,
      alternativeFrequencies_.nextPair());
  segment_ = (segment_ + 1) % kSegmentsPerName;
  return group;
}

// Eight characters, padded with blanks, in two groups of four.
RdsGroup GroupScheduler::typeName(const OnAirState& state, const GroupHeader& header) {
  typeNameEditIsNews_ = true;
  if (state.programmeTypeName != typeName_) {
    typeName_ = state.programmeTypeName;
    typeNameB_ = !typeNameB_;
    typeNameSegment_ = 0;
  }
  std::string name = rdsText(typeName_);
  name.resize(kProgrammeTypeNameLength, ' ');
  const int segment = typeNameSegment_;
  typeNameSegment_ ^= 1;
  return programmeTypeNameGroup(
      header, segment, typeNameB_,
      std::string_view(name).substr(static_cast<std::size_t>(segment) * 4, 4));
}

// Like a radiotext: a shorter name ends with a carriage return, and only the segments up to it
// go out; a new name starts again at its first segment, so no receiver joins two names.
RdsGroup GroupScheduler::longName(const OnAirState& state, const GroupHeader& header) {
  constexpr char kEndOfText = 0x0D;
  constexpr std::size_t kBytesPerSegment = 4;
  if (state.longServiceName != longName_) {
    longName_ = state.longServiceName;
    longNameSegment_ = 0;
  }
  std::string padded = longName_.substr(0, kLongServiceNameLength);
  if (padded.size() < kLongServiceNameLength) padded += kEndOfText;
  const std::size_t segments = (padded.size() + kBytesPerSegment - 1) / kBytesPerSegment;
  padded.resize(segments * kBytesPerSegment, ' ');
  const int segment = longNameSegment_;
  longNameSegment_ = (longNameSegment_ + 1) % static_cast<int>(segments);
  return longServiceNameGroup(
      header, segment,
      std::string_view(padded).substr(static_cast<std::size_t>(segment) * kBytesPerSegment,
                                      kBytesPerSegment));
}

}  // namespace orvane
