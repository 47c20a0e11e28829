#pragma once

#include <bitset>
#include <cstddef>

#include "Command.h"

namespace orvane {

// The on-air values as a peer encoder receives them: one UECP element each, the flags of one
// element counted as one.
enum class OnAirField : std::size_t {
  ProgrammeIdentification,
  ProgrammeType,
  ServiceName,  // the name and whether the time shows in it
  Radiotext,
  ProgrammeItem,  // the time and whether group 1A is on
  ClockTime,
  DecoderIdentification,
  TrafficFlags,
  Music,
  ProgrammeTypeName,
  Count
};

inline constexpr std::size_t kOnAirFieldCount = static_cast<std::size_t>(OnAirField::Count);

// Which fields someone has given a value since the start, whether or not that changed what was on
// air: a peer must be told an operator's TA=00 even when TA was already off here.
class AssignedFields {
 public:
  void set(OnAirField field) { bits_.set(static_cast<std::size_t>(field)); }
  [[nodiscard]] bool has(OnAirField field) const {
    return bits_.test(static_cast<std::size_t>(field));
  }
  AssignedFields& operator|=(const AssignedFields& other) {
    bits_ |= other.bits_;
    return *this;
  }

 private:
  std::bitset<kOnAirFieldCount> bits_;
};

// The field a console command gives a value to; none for ENCODE.
[[nodiscard]] constexpr bool fieldOf(Keyword keyword, OnAirField& field) {
  switch (keyword) {
    case Keyword::Pty:
      field = OnAirField::ProgrammeType;
      return true;
    case Keyword::Psn:
    case Keyword::TimeInPsn:
      field = OnAirField::ServiceName;
      return true;
    case Keyword::Txt0:
    case Keyword::Txt1:
      field = OnAirField::Radiotext;
      return true;
    case Keyword::Def1ATime:
    case Keyword::Group1A:
      field = OnAirField::ProgrammeItem;
      return true;
    case Keyword::Group4A:
      field = OnAirField::ClockTime;
      return true;
    case Keyword::Di:
      field = OnAirField::DecoderIdentification;
      return true;
    case Keyword::Ta:
    case Keyword::Tp:
      field = OnAirField::TrafficFlags;
      return true;
    case Keyword::Ms:
      field = OnAirField::Music;
      return true;
    case Keyword::Encode:
      break;
  }
  return false;
}

}  // namespace orvane
