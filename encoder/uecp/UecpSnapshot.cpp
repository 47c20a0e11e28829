#include "UecpSnapshot.h"

#include <algorithm>

#include "GroupBuilder.h"
#include "RdsCharset.h"
#include "RdsLimits.h"
#include "UecpElement.h"

namespace orvane {
namespace {

constexpr std::size_t kCharactersPerGroup = 4;
constexpr int kGroupsPerMessage = 24;
constexpr int kMinTransmissions = 2;
constexpr int kMaxTransmissions = 15;

std::string toRds(const UecpTextMemory* texts, std::string_view windows1252) {
  return texts != nullptr ? texts->rdsText(windows1252) : rdsText(windows1252);
}

// The two lines as a buffer of two messages that the peer sends in turn, the first replacing
// whatever it held; an empty line is left out, as the software encoder skips it.
std::vector<std::string> radiotext(const OnAirState& state, const UecpTextMemory* texts) {
  std::vector<std::string> elements;
  for (const std::string& line : state.radiotext) {
    if (line.empty()) continue;
    UecpRadiotextSetting setting;
    setting.append = !elements.empty();
    setting.transmissions = uecpTransmissionsFor(line.size());
    elements.push_back(uecpRadiotext(toRds(texts, line), setting));
  }
  if (elements.empty()) elements.push_back(uecpRadiotextClear());
  return elements;
}

}  // namespace

[[gnu::hot]] std::vector<std::string> uecpElements(OnAirField field, const OnAirState& state,
                                                   const std::string& serviceNameFrame,
                                                   const UecpTextMemory* texts) {
  switch (field) {
    case OnAirField::ProgrammeIdentification:
      if (!state.programmeIdentification) return {};
      return {uecpProgrammeIdentification(*state.programmeIdentification)};
    case OnAirField::ProgrammeType:
      return {uecpProgrammeType(state.programmeType)};
    case OnAirField::ServiceName:
      return {uecpServiceName(toRds(texts, serviceNameFrame))};
    case OnAirField::Radiotext:
      return radiotext(state, texts);
    case OnAirField::ProgrammeItem:
      // Day 0 (a number of 0): no programme item.
      return {uecpProgrammeItem(
          state.programmeItemGroups ? programmeItemNumber(state.programmeItemTime) : 0)};
    case OnAirField::ClockTime:
      return {uecpClockTimeSwitch(state.clockTimeGroups)};
    case OnAirField::DecoderIdentification:
      return {uecpDecoderIdentification(state.decoderIdentification)};
    case OnAirField::TrafficFlags:
      // A station without TP announces no traffic on air, and a peer must not do so either.
      return {uecpTrafficFlags(state.trafficAnnouncement && state.trafficProgramme,
                               state.trafficProgramme)};
    case OnAirField::Music:
      return {uecpMusic(state.music)};
    case OnAirField::ProgrammeTypeName:
      return {uecpProgrammeTypeName(rdsText(state.programmeTypeName))};
    case OnAirField::Count:
      break;
  }
  return {};
}

UecpSnapshot uecpSnapshot(const OnAirState& state, const AssignedFields& assigned,
                          const std::string& serviceNameFrame, const UecpTextMemory* texts) {
  UecpSnapshot snapshot;
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    const auto field = static_cast<OnAirField>(i);
    if (assigned.has(field)) snapshot[i] = uecpElements(field, state, serviceNameFrame, texts);
  }
  return snapshot;
}

int uecpTransmissionsFor(std::size_t textLength) {
  // A shorter text is sent with its end mark.
  const std::size_t sent = std::min(textLength + 1, kMaxRadiotextLength);
  const auto groups = static_cast<int>((sent + kCharactersPerGroup - 1) / kCharactersPerGroup);
  return std::clamp((kGroupsPerMessage + groups - 1) / groups, kMinTransmissions,
                    kMaxTransmissions);
}

}  // namespace orvane
