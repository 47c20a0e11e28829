#include "EncoderState.h"

#include <utility>

#include "OnAirText.h"

namespace orvane {

EncoderState::EncoderState(std::optional<std::uint16_t> programmeIdentification) {
  onAir_.programmeIdentification = programmeIdentification;
  if (programmeIdentification) assigned_.set(OnAirField::ProgrammeIdentification);
}

namespace {

bool waitsForEncode(Keyword keyword) {
  switch (keyword) {
    case Keyword::Pty:
    case Keyword::Def1ATime:
    case Keyword::Psn:
    case Keyword::Txt0:
    case Keyword::Txt1:
      return true;
    default:
      return false;
  }
}

// The values a console's command can change, alone: the rest of the air (the doors' texts, the
// tags, the other networks) is left at its start values on both sides of a change, where it
// compares equal and is not described. Copying the whole air twice stood between an ENCODE and
// its UECP frame, and so did comparing it. One list serves the copy and the comparison, so that
// they cannot disagree on what a change is.
template <typename State, typename Each>
[[gnu::hot]] bool eachConsoleValue(State& one, const OnAirState& other, Each&& each) {
  return each(one.programmeType, other.programmeType) &&
         each(one.programmeServiceName, other.programmeServiceName) &&
         each(one.scrollingServiceName, other.scrollingServiceName) &&
         each(one.radiotext, other.radiotext) &&
         each(one.programmeItemTime, other.programmeItemTime) &&
         each(one.clockTimeGroups, other.clockTimeGroups) &&
         each(one.programmeItemGroups, other.programmeItemGroups) &&
         each(one.decoderIdentification, other.decoderIdentification) &&
         each(one.timeInServiceName, other.timeInServiceName) &&
         each(one.trafficAnnouncement, other.trafficAnnouncement) &&
         each(one.trafficProgramme, other.trafficProgramme) && each(one.music, other.music);
}

[[gnu::hot]] void copyConsoleValues(const OnAirState& from, OnAirState& to) {
  eachConsoleValue(to, from, [](auto& mine, const auto& theirs) {
    mine = theirs;
    return true;
  });
}

[[gnu::hot]] bool sameConsoleValues(const OnAirState& one, const OnAirState& other) {
  return eachConsoleValue(one, other,
                          [](const auto& mine, const auto& theirs) { return mine == theirs; });
}

}  // namespace

std::vector<std::string> EncoderState::apply(const Command& command) {
  const std::shared_ptr<const OnAirChange> change = applyUndescribed(command);
  return change ? change->describe() : std::vector<std::string>{};
}

[[gnu::hot]] std::shared_ptr<const OnAirChange> EncoderState::applyUndescribed(Command command) {
  if (waitsForEncode(command.keyword)) {
    hold(std::move(command));
    return nullptr;
  }
  // The last change is made again in place once the log has described it and let it go: its
  // texts keep their room, so the copies below allocate nothing.
  if (!lastChange_ || lastChange_.use_count() > 1) lastChange_ = std::make_shared<OnAirChange>();
  const std::shared_ptr<OnAirChange>& change = lastChange_;
  copyConsoleValues(onAir_, change->before);
  if (command.keyword == Keyword::Encode) {
    encode();
  } else {
    switchNow(command);
  }
  copyConsoleValues(onAir_, change->after);
  if (sameConsoleValues(change->before, change->after)) return nullptr;
  return change;
}

std::vector<std::string> EncoderState::replaceOnAir(const OnAirState& next,
                                                    const AssignedFields& fields) {
  const OnAirState before = onAir_;
  onAir_ = next;
  assigned_ |= fields;
  // A whole state replaced: whatever was derived from any field is made again.
  for (std::uint64_t& revision : revisions_) ++revision;
  if (fields.has(OnAirField::TrafficFlags) && next.trafficAnnouncement) ++trafficGiven_;
  return describeChanges(before, onAir_);
}

bool EncoderState::discardPending() {
  const bool had = pending_.programmeType || pending_.programmeItemTime ||
                   pending_.programmeServiceName || pending_.radiotext[0] || pending_.radiotext[1];
  pending_ = {};
  return had;
}

[[gnu::hot]] void EncoderState::hold(Command&& command) {
  OnAirField field{};
  if (fieldOf(command.keyword, field)) pending_.fields.set(field);
  switch (command.keyword) {
    case Keyword::Pty:
      pending_.programmeType = command.number;
      break;
    case Keyword::Def1ATime:
      pending_.programmeItemTime = command.time;
      break;
    case Keyword::Psn:
      pending_.programmeServiceName = std::move(command.text);
      break;
    case Keyword::Txt0:
      pending_.radiotext[0] = std::move(command.text);
      break;
    case Keyword::Txt1:
      pending_.radiotext[1] = std::move(command.text);
      break;
    default:
      break;
  }
}

[[gnu::hot]] void EncoderState::switchNow(const Command& command) {
  const bool on = command.number != 0;
  OnAirField field{};
  if (fieldOf(command.keyword, field)) {
    assigned_.set(field);
    touch(field);
  }
  switch (command.keyword) {
    case Keyword::Group4A:
      onAir_.clockTimeGroups = on;
      break;
    case Keyword::Group1A:
      onAir_.programmeItemGroups = on;
      break;
    case Keyword::Di:
      onAir_.decoderIdentification = command.number;
      break;
    case Keyword::TimeInPsn:
      onAir_.timeInServiceName = on;
      break;
    case Keyword::Ta:
      onAir_.trafficAnnouncement = on;
      if (on) ++trafficGiven_;
      break;
    case Keyword::Tp:
      onAir_.trafficProgramme = on;
      break;
    case Keyword::Ms:
      onAir_.music = on;
      break;
    default:
      break;
  }
}

[[gnu::hot]] void EncoderState::encode() {
  auto release = [](auto& pending, auto& onAir) {
    if (pending) onAir = std::move(*pending);
  };
  release(pending_.programmeType, onAir_.programmeType);
  release(pending_.programmeItemTime, onAir_.programmeItemTime);
  // The operator's name is the whole name: a playout's scrolling name gives way to it.
  if (pending_.programmeServiceName) onAir_.scrollingServiceName.clear();
  release(pending_.programmeServiceName, onAir_.programmeServiceName);
  release(pending_.radiotext[0], onAir_.radiotext[0]);
  release(pending_.radiotext[1], onAir_.radiotext[1]);
  assigned_ |= pending_.fields;
  for (std::size_t i = 0; i < kOnAirFieldCount; ++i) {
    if (pending_.fields.has(static_cast<OnAirField>(i))) touch(static_cast<OnAirField>(i));
  }
  pending_ = {};
}

}  // namespace orvane
