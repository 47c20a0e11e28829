#include "GroupScheduler.h"

#include <algorithm>
#include <bit>

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
  recentNames_ = (recentNames_ << 1 | (group.blocks[1] >> kTypeAndVersionShift == 0 ? 1 : 0)) &
                 ((1u << (kNameWindow - 1)) - 1);
  return group;
}

RdsGroup GroupScheduler::choose(const OnAirState& state, const GroupTime& time) {
  const GroupHeader header{state.programmeIdentification.value_or(programmeIdentification_),
                           state.trafficProgramme, state.programmeType};
  groupsSinceProgrammeItem_ = std::min(groupsSinceProgrammeItem_ + 1, kCountryCodeEvery);
  if (minuteEdgeAtEnd(time.unixMicros) && state.clockTimeGroups) {
    const std::int64_t edge = *minute_ * 60;
    return clockTimeGroup(header, clockTimeAt(edge, localOffset_(edge)));
  }
  if (programmeItemDue(state)) {
    groupsSinceProgrammeItem_ = 0;
    return programmeItemGroup(
        header, state.programmeItemGroups ? std::optional(state.programmeItemTime) : std::nullopt,
        countryCode_);
  }
  // An edit out of turn leaves the alternation where it was: the turn it took comes next.
  const Carrier turn = radiotextTurn_ ? Carrier::Radiotext : Carrier::ServiceName;
  const Carrier edit = editWaiting(state);
  tookTurn_ = edit != turn && edit != Carrier::None;
  if (edit == Carrier::None && longNameDue(state)) return longName(state, header);
  // The other networks and the enhanced radiotext take a radiotext turn, never the name's: a
  // name a second matters more to receivers than either. Another network's TA change takes the
  // next turn, whichever it is.
  const bool otherNetworksDue = otherNetworks_.due(state);
  const bool enhancedRadiotextWaits = enhancedRadiotextDue(state);
  const bool side = (otherNetworksDue && otherNetworks_.urgent()) || turn == Carrier::Radiotext;
  if (edit == Carrier::None && side && (otherNetworksDue || enhancedRadiotextWaits)) {
    radiotextTurn_ = !radiotextTurn_;
    if (otherNetworksDue) return otherNetworks_.next(state, header);
    groupsSinceEnhancedRadiotext_ = 0;
    return enhancedRadiotext_.next(header, state.enhancedRadiotext);
  }
  if (edit == turn || (edit == Carrier::None && !typeNameDue(state))) {
    radiotextTurn_ = !radiotextTurn_;
    return turn == Carrier::Radiotext ? radiotextTurn(state, header)
                                      : serviceName(state, header, time);
  }
  if (edit == Carrier::ServiceName) return serviceName(state, header, time);
  if (edit == Carrier::Radiotext) {
    const auto segment = radiotext_.next(radiotextLines(state));
    return radiotextGroup(header, segment.address, segment.textB, segment.characters);
  }
  return typeName(state, header);  // edited, or due
}

// What carries an edit not yet on air: the turn's own kind first, then what may take the turn.
// A turn taken is given back at once, so that edits in a flood can never stop the alternation.
GroupScheduler::Carrier GroupScheduler::editWaiting(const OnAirState& state) {
  if (tookTurn_) return radiotextTurn_ ? Carrier::Radiotext : Carrier::ServiceName;
  const bool name = nameSent_ && nameShown(state) != name_;
  const bool radiotext = radiotext_.editWaiting(radiotextLines(state));
  const bool typeName =
      typeNameSent_ && !state.programmeTypeName.empty() && state.programmeTypeName != typeName_;
  const Carrier turn = radiotextTurn_ ? Carrier::Radiotext : Carrier::ServiceName;
  if (radiotextTurn_ ? radiotext : name) return turn;
  if (name) return Carrier::ServiceName;  // a 0A never costs the name its rate
  // Any other group out of turn puts the next 0A off by one.
  if (!nameTurnToSpare()) return Carrier::None;
  if (radiotext) return Carrier::Radiotext;
  return typeName ? Carrier::TypeName : Carrier::None;
}

// Every window of kNameWindow groups that holds this group, not a 0A, and the turn it gives back,
// perhaps not one either, still holds enough 0A groups: the last kNameWindow - 2 must hold them.
bool GroupScheduler::nameTurnToSpare() const {
  return std::popcount(recentNames_ & ((1u << (kNameWindow - 2)) - 1)) >= kLeastNamesPerWindow;
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

RdsGroup GroupScheduler::radiotextTurn(const OnAirState& state, const GroupHeader& header) {
  const std::array<std::string, 2>& lines = radiotextLines(state);
  // An edit goes out before the tags that would describe it.
  if (radiotextPlus_ && !radiotext_.editWaiting(lines) &&
      ++radiotextTurns_ == kRadiotextPlusEvery) {
    radiotextTurns_ = 0;
    const auto& song = state.songTags;
    const bool songOnAir = song && rdsText(song->text) == radiotext_.message();
    return radiotextPlus_->next(header, radiotext_.message(), lines,
                                songOnAir ? &song->tags : nullptr);
  }
  const auto segment = radiotext_.next(lines);
  return radiotextGroup(header, segment.address, segment.textB, segment.characters);
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

bool GroupScheduler::typeNameDue(const OnAirState& state) {
  if (state.programmeTypeName.empty()) return false;
  groupsSinceTypeName_ = std::min(groupsSinceTypeName_ + 1, kTypeNameEvery);
  return groupsSinceTypeName_ >= kTypeNameEvery;
}

// Eight characters, padded with blanks, in two groups of four.
RdsGroup GroupScheduler::typeName(const OnAirState& state, const GroupHeader& header) {
  groupsSinceTypeName_ = 0;
  typeNameSent_ = true;
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

bool GroupScheduler::longNameDue(const OnAirState& state) {
  if (state.longServiceName.empty()) return false;
  groupsSinceLongName_ = std::min(groupsSinceLongName_ + 1, kLongNameEvery);
  return groupsSinceLongName_ >= kLongNameEvery;
}

bool GroupScheduler::enhancedRadiotextDue(const OnAirState& state) {
  if (state.enhancedRadiotext.empty()) return false;
  groupsSinceEnhancedRadiotext_ =
      std::min(groupsSinceEnhancedRadiotext_ + 1, kEnhancedRadiotextEvery);
  return groupsSinceEnhancedRadiotext_ >= kEnhancedRadiotextEvery;
}

// Like a radiotext: a shorter name ends with a carriage return, and only the segments up to it
// go out; a new name starts again at its first segment, so no receiver joins two names.
RdsGroup GroupScheduler::longName(const OnAirState& state, const GroupHeader& header) {
  constexpr char kEndOfText = 0x0D;
  constexpr std::size_t kBytesPerSegment = 4;
  groupsSinceLongName_ = 0;
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
