#include "GroupBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orvane {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kUnixEpochModifiedJulianDay = 40587;  // 1970-01-01
constexpr int kMaxOffsetHalfHours = 31;             // five bits and a sign

// Block B: group type in the top four bits, version A, then TP and PTY.
std::uint16_t blockB(const GroupHeader& header, unsigned groupType, unsigned low5) {
  return static_cast<std::uint16_t>(((groupType & 0xF) << 12) | (header.trafficProgramme << 10) |
                                    ((static_cast<unsigned>(header.programmeType) & 0x1F) << 5) |
                                    (low5 & 0x1F));
}

std::uint16_t characters(std::string_view text, std::size_t at) {
  auto c = [&](std::size_t i) {
    return i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
  };
  return static_cast<std::uint16_t>((c(at) << 8) | c(at + 1));
}

}  // namespace

ClockTime clockTimeAt(std::int64_t unixSeconds, int offsetMinutes) {
  const std::int64_t day = unixSeconds >= 0 ? unixSeconds / kSecondsPerDay
                                            : (unixSeconds - kSecondsPerDay + 1) / kSecondsPerDay;
  const auto secondOfDay = static_cast<int>(unixSeconds - day * kSecondsPerDay);
  int halfHours = static_cast<int>(std::lround(offsetMinutes / 30.0));
  halfHours = std::clamp(halfHours, -kMaxOffsetHalfHours, kMaxOffsetHalfHours);
  return {static_cast<int>(day) + kUnixEpochModifiedJulianDay, secondOfDay / 3600,
          secondOfDay / 60 % 60, halfHours};
}

RdsGroup serviceNameGroup(const GroupHeader& header, int segment, std::string_view twoCharacters,
                          bool trafficAnnouncement, bool music, int decoderIdentification,
                          std::uint16_t alternativeFrequencyPair) {
  // Segment 0 carries d3 and segment 3 carries d0, so the code goes out highest bit first.
  const unsigned address = static_cast<unsigned>(segment) & 3;
  const unsigned diBit = (static_cast<unsigned>(decoderIdentification) >> (3 - address)) & 1;
  const unsigned low5 = (trafficAnnouncement << 4) | (music << 3) | (diBit << 2) | address;
  return {{header.programmeIdentification, blockB(header, 0, low5), alternativeFrequencyPair,
           characters(twoCharacters, 0)}};
}

RdsGroup radiotextGroup(const GroupHeader& header, int segment, bool textB,
                        std::string_view fourCharacters) {
  const unsigned low5 = (textB << 4) | (static_cast<unsigned>(segment) & 0xF);
  return {{header.programmeIdentification, blockB(header, 2, low5), characters(fourCharacters, 0),
           characters(fourCharacters, 2)}};
}

RdsGroup programmeTypeNameGroup(const GroupHeader& header, int segment, bool nameB,
                                std::string_view fourCharacters) {
  constexpr unsigned kTypeNameGroup = 10;
  const unsigned low5 = (nameB << 4) | (static_cast<unsigned>(segment) & 1);
  return {{header.programmeIdentification, blockB(header, kTypeNameGroup, low5),
           characters(fourCharacters, 0), characters(fourCharacters, 2)}};
}

RdsGroup longServiceNameGroup(const GroupHeader& header, int segment, std::string_view fourBytes) {
  constexpr unsigned kLongNameGroup = 15;
  return {{header.programmeIdentification,
           blockB(header, kLongNameGroup, static_cast<unsigned>(segment) & 7),
           characters(fourBytes, 0), characters(fourBytes, 2)}};
}

std::uint16_t programmeItemNumber(const ProgrammeItemTime& item) {
  return static_cast<std::uint16_t>(((static_cast<unsigned>(item.day) & 0x1F) << 11) |
                                    ((static_cast<unsigned>(item.hour) & 0x1F) << 6) |
                                    (static_cast<unsigned>(item.minute) & 0x3F));
}

RdsGroup programmeItemGroup(const GroupHeader& header, const std::optional<ProgrammeItemTime>& item,
                            std::optional<std::uint8_t> countryCode) {
  constexpr unsigned kVariantShift = 12;
  constexpr unsigned kCountryCodeVariant = 0;  // paging (none here) and extended country code
  constexpr unsigned kLanguageVariant = 3;     // language code; 0 is "unknown"
  const std::uint16_t slowLabelling =
      countryCode
          ? static_cast<std::uint16_t>((kCountryCodeVariant << kVariantShift) | *countryCode)
          : static_cast<std::uint16_t>(kLanguageVariant << kVariantShift);
  // Day 0: no programme-item number.
  return {{header.programmeIdentification, blockB(header, 1, 0), slowLabelling,
           item ? programmeItemNumber(*item) : std::uint16_t{0}}};
}

RdsGroup clockTimeGroup(const GroupHeader& header, const ClockTime& time) {
  const auto mjd = static_cast<std::uint32_t>(time.modifiedJulianDay) & 0x1FFFF;
  const auto hour = static_cast<unsigned>(time.hour) & 0x1F;
  const auto offset = static_cast<unsigned>(std::abs(time.localOffsetHalfHours)) & 0x1F;
  const unsigned sign = time.localOffsetHalfHours < 0 ? 1 : 0;
  return {{header.programmeIdentification, blockB(header, 4, mjd >> 15),
           static_cast<std::uint16_t>(((mjd & 0x7FFF) << 1) | (hour >> 4)),
           static_cast<std::uint16_t>(((hour & 0xF) << 12) |
                                      ((static_cast<unsigned>(time.minute) & 0x3F) << 6) |
                                      (sign << 5) | offset)}};
}

RdsGroup openDataAnnouncementGroup(const GroupHeader& header, unsigned applicationGroupTypeCode,
                                   std::uint16_t message, std::uint16_t applicationId) {
  return {{header.programmeIdentification, blockB(header, 3, applicationGroupTypeCode), message,
           applicationId}};
}

RdsGroup openDataGroup(const GroupHeader& header, unsigned groupType, std::uint64_t bits) {
  return {{header.programmeIdentification,
           blockB(header, groupType, static_cast<unsigned>(bits >> 32)),
           static_cast<std::uint16_t>(bits >> 16), static_cast<std::uint16_t>(bits)}};
}

}  // namespace orvane
