#include "UecpApply.h"

#include <cstdint>
#include <optional>
#include <string>

#include "Command.h"
#include "RdsLimits.h"
#include "RdsToWindows1252.h"

namespace orvane {
namespace {

constexpr std::uint8_t kAllDataSets = 0xFF;
constexpr std::uint8_t kOurDataSet = 0x01;
constexpr std::uint8_t kOtherMainService = 0x01;
// The other networks (EON) are the data set's next services, numbered as the service was given
// them: EON1 is service 2.
constexpr std::uint8_t kFirstOtherNetworkService = 0x02;
constexpr std::size_t kDataAt = 3;  // after MEC, DSN and PSN
constexpr unsigned kMaxTrafficFlags = 0x03;
constexpr std::uint8_t kEndOfText = 0x0D;  // receivers' end mark; some clients send it
constexpr std::uint8_t kFirstPrintable = 0x20;

// 00: the message replaces the buffer; 10: it is added to it. The other two are not defined.
constexpr unsigned kReplaceBuffer = 0b00;
constexpr unsigned kAddToBuffer = 0b10;

std::uint8_t at(std::string_view element, std::size_t i) {
  return static_cast<std::uint8_t>(element[i]);
}

// A text as it goes on air, still in the RDS set: up to the end mark, control codes as blanks,
// trailing blanks dropped.
std::string onAirRdsText(std::string_view rds) {
  std::string text(rds.substr(0, rds.find(static_cast<char>(kEndOfText))));
  for (char& c : text) c = static_cast<std::uint8_t>(c) < kFirstPrintable ? ' ' : c;
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string trimmedText(std::string_view rds) {
  return windows1252FromRdsText(onAirRdsText(rds));
}

// The one data set and the main programme service are all this encoder has; widely used encoders
// take 0 and 1 for them alike.
bool ourDataSet(std::uint8_t dataSet) {
  return dataSet == kUecpCurrentDataSet || dataSet == kOurDataSet || dataSet == kAllDataSets;
}

UecpAnswer checkAddressing(std::string_view element) {
  if (!ourDataSet(at(element, 1))) return UecpAnswer::BadDataSet;
  const std::uint8_t service = at(element, 2);
  if (service != kUecpMainService && service != kOtherMainService) return UecpAnswer::BadService;
  return UecpAnswer::Ok;
}

// The TA of another network, given to its own service as a TA/TP element; its TP is fixed when
// the service starts, so only the TA bit is taken.
std::optional<UecpAnswer> applyOtherNetworkTraffic(std::string_view element, OnAirState& state) {
  const std::uint8_t service = at(element, 2);
  if (static_cast<UecpCode>(element[0]) != UecpCode::TrafficFlags ||
      service < kFirstOtherNetworkService ||
      service >= kFirstOtherNetworkService + kMaxOtherNetworks || !ourDataSet(at(element, 1))) {
    return std::nullopt;
  }
  if (at(element, kDataAt) > kMaxTrafficFlags) return UecpAnswer::OutOfRange;
  state.otherNetworkTraffic[service - kFirstOtherNetworkService] = (at(element, kDataAt) & 1) != 0;
  return UecpAnswer::Ok;
}

UecpAnswer applyRadiotext(std::string_view element, OnAirState& state) {
  const std::uint8_t length = at(element, kDataAt);
  if (length == 0) {
    state.radiotext = {};
    return UecpAnswer::Ok;
  }
  const unsigned buffer = at(element, kDataAt + 1) >> 5 & 0b11;
  const std::string text = trimmedText(element.substr(kDataAt + 2));
  if (text.size() > kMaxRadiotextLength) return UecpAnswer::OutOfRange;
  if (buffer == kReplaceBuffer) {
    state.radiotext = {text, ""};
  } else if (buffer == kAddToBuffer && state.radiotext[0].empty()) {
    state.radiotext[0] = text;
  } else if (buffer == kAddToBuffer) {
    if (!state.radiotext[1].empty()) state.radiotext[0] = state.radiotext[1];
    state.radiotext[1] = text;
  } else {
    return UecpAnswer::OutOfRange;
  }
  return UecpAnswer::Ok;
}

// Day 0 is RDS's "no programme item": group 1A goes off, the time stays for when it comes back.
UecpAnswer applyProgrammeItem(std::string_view element, OnAirState& state) {
  const unsigned pin = at(element, kDataAt) << 8 | at(element, kDataAt + 1);
  const ProgrammeItemTime time{static_cast<int>(pin >> 11), static_cast<int>(pin >> 6 & 0x1F),
                               static_cast<int>(pin & 0x3F)};
  if (time.day == 0) {
    state.programmeItemGroups = false;
    return UecpAnswer::Ok;
  }
  if (time.hour > 23 || time.minute > 59) return UecpAnswer::OutOfRange;
  state.programmeItemTime = time;
  state.programmeItemGroups = true;
  return UecpAnswer::Ok;
}

// The encoder's clock is the system's: a client's time is checked and otherwise left alone.
UecpAnswer checkClock(std::string_view e) {
  const bool valid = at(e, 2) >= 1 && at(e, 2) <= 12 && at(e, 3) >= 1 && at(e, 3) <= 31 &&
                     at(e, 4) <= 23 && at(e, 5) <= 59 && at(e, 6) <= 59 && at(e, 7) <= 99 &&
                     uecpOffsetHalfHours(at(e, 8)).has_value();
  return valid ? UecpAnswer::Ok : UecpAnswer::OutOfRange;
}

UecpAnswer applyFlag(bool& flag, std::uint8_t value) {
  if (value > 1) return UecpAnswer::OutOfRange;
  flag = value == 1;
  return UecpAnswer::Ok;
}

UecpAnswer applyAddressed(UecpCode code, std::string_view element, OnAirState& state) {
  const std::uint8_t value = at(element, kDataAt);
  switch (code) {
    case UecpCode::ProgrammeIdentification: {
      const auto pi = static_cast<std::uint16_t>(value << 8 | at(element, kDataAt + 1));
      if (pi == 0) return UecpAnswer::OutOfRange;
      state.programmeIdentification = pi;
      return UecpAnswer::Ok;
    }
    case UecpCode::ServiceName:
      // A peer's name is the whole name, as the console's is: a playout's scrolling one yields.
      state.programmeServiceName = trimmedText(element.substr(kDataAt));
      state.scrollingServiceName.clear();
      return UecpAnswer::Ok;
    case UecpCode::TrafficFlags:
      if (value > kMaxTrafficFlags) return UecpAnswer::OutOfRange;
      state.trafficAnnouncement = (value & 1) != 0;
      state.trafficProgramme = (value & 2) != 0;
      return UecpAnswer::Ok;
    case UecpCode::DecoderIdentification:
      if (value > kMaxDecoderIdentification) return UecpAnswer::OutOfRange;
      state.decoderIdentification = value;
      return UecpAnswer::Ok;
    case UecpCode::Music:
      return applyFlag(state.music, value);
    case UecpCode::ProgrammeItem:
      return applyProgrammeItem(element, state);
    case UecpCode::ProgrammeType:
      if (value > kMaxProgrammeType) return UecpAnswer::OutOfRange;
      state.programmeType = value;
      return UecpAnswer::Ok;
    case UecpCode::Radiotext:
      return applyRadiotext(element, state);
    case UecpCode::ProgrammeTypeName:
      state.programmeTypeName = trimmedText(element.substr(kDataAt));
      return UecpAnswer::Ok;
    default:
      return UecpAnswer::UnknownElement;
  }
}

OnAirField fieldOf(UecpCode code) {
  switch (code) {
    case UecpCode::ProgrammeIdentification:
      return OnAirField::ProgrammeIdentification;
    case UecpCode::ServiceName:
      return OnAirField::ServiceName;
    case UecpCode::TrafficFlags:
      return OnAirField::TrafficFlags;
    case UecpCode::DecoderIdentification:
      return OnAirField::DecoderIdentification;
    case UecpCode::Music:
      return OnAirField::Music;
    case UecpCode::ProgrammeItem:
      return OnAirField::ProgrammeItem;
    case UecpCode::ProgrammeType:
      return OnAirField::ProgrammeType;
    case UecpCode::Radiotext:
      return OnAirField::Radiotext;
    case UecpCode::ProgrammeTypeName:
      return OnAirField::ProgrammeTypeName;
    default:
      return OnAirField::ClockTime;
  }
}

}  // namespace

std::optional<std::string> uecpElementText(std::string_view element) {
  const auto code = static_cast<UecpCode>(element[0]);
  if (code == UecpCode::ServiceName) return onAirRdsText(element.substr(kDataAt));
  if (code == UecpCode::Radiotext && at(element, kDataAt) > 0) {
    return onAirRdsText(element.substr(kDataAt + 2));
  }
  return std::nullopt;
}

UecpAnswer applyUecpElement(std::string_view element, OnAirState& state, AssignedFields& fields) {
  const auto code = static_cast<UecpCode>(element[0]);
  if (code == UecpCode::ClockSet) return checkClock(element);
  OnAirState next = state;
  UecpAnswer answer;
  if (const auto other = applyOtherNetworkTraffic(element, next)) {
    if (*other == UecpAnswer::Ok) state = std::move(next);
    return *other;
  } else if (code == UecpCode::ClockTimeSwitch) {
    answer = applyFlag(next.clockTimeGroups, at(element, 1));
  } else {
    answer = checkAddressing(element);
    if (answer == UecpAnswer::Ok) answer = applyAddressed(code, element, next);
  }
  if (answer == UecpAnswer::Ok) {
    state = std::move(next);
    fields.set(fieldOf(code));
  }
  return answer;
}

}  // namespace orvane
