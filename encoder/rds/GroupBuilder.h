#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "Command.h"
#include "RdsGroup.h"

namespace orvane {

// What every group carries whatever its type: the PI code in block A and, in block B, the
// traffic-programme flag and the programme type.
struct GroupHeader {
  std::uint16_t programmeIdentification = 0;
  bool trafficProgramme = false;
  int programmeType = 0;
};

// UTC date and time of a minute edge as group 4A carries it, with the local offset.
struct ClockTime {
  int modifiedJulianDay = 0;
  int hour = 0;
  int minute = 0;
  int localOffsetHalfHours = 0;  // signed; local time is UTC plus this many half-hours
  bool operator==(const ClockTime&) const = default;
};

// The clock time of a Unix time (seconds are dropped) for a zone `offsetMinutes` east of UTC.
// Zones that are not on a half-hour (UTC+5:45) are given to the nearest half-hour.
[[nodiscard]] ClockTime clockTimeAt(std::int64_t unixSeconds, int offsetMinutes);

// The builders take text already in the RDS character set and fields already in range; they
// mask every field to its width all the same, so that no value can spill into its neighbour.

// 0A: segment 0..3 of the service name, its two characters, and the DI bit of that segment;
// block C carries two codes of the alternative frequencies.
[[nodiscard]] RdsGroup serviceNameGroup(const GroupHeader& header, int segment,
                                        std::string_view twoCharacters, bool trafficAnnouncement,
                                        bool music, int decoderIdentification,
                                        std::uint16_t alternativeFrequencyPair);

// 2A: segment 0..15 of a radiotext, its four characters and the text A/B flag.
[[nodiscard]] RdsGroup radiotextGroup(const GroupHeader& header, int segment, bool textB,
                                      std::string_view fourCharacters);

// 10A: segment 0..1 of the programme type name, its four characters and its A/B flag, which
// changes with the name so that receivers clear the old one (IEC 62106, group 10A).
[[nodiscard]] RdsGroup programmeTypeNameGroup(const GroupHeader& header, int segment, bool nameB,
                                              std::string_view fourCharacters);

// 15A: segment 0..7 of the long service name, its four bytes of UTF-8.
[[nodiscard]] RdsGroup longServiceNameGroup(const GroupHeader& header, int segment,
                                            std::string_view fourBytes);

// The programme-item number of 1A (and of UECP's PIN): day, hour and minute in 5, 5 and 6 bits.
[[nodiscard]] std::uint16_t programmeItemNumber(const ProgrammeItemTime& item);

// 1A: the programme-item number (day, hour, minute), or none (day 0), and in block C the
// extended country code (variant 0, no paging) when there is one, or else the language code
// "unknown" (variant 3): a block C of zeros would declare country code 00.
[[nodiscard]] RdsGroup programmeItemGroup(const GroupHeader& header,
                                          const std::optional<ProgrammeItemTime>& item,
                                          std::optional<std::uint8_t> countryCode);

// 4A: clock time and date.
[[nodiscard]] RdsGroup clockTimeGroup(const GroupHeader& header, const ClockTime& time);

// 3A: the open data application `applicationId` is carried in the groups of
// `applicationGroupTypeCode` (type and version, 11A as 22), with its own message bits.
[[nodiscard]] RdsGroup openDataAnnouncementGroup(const GroupHeader& header,
                                                 unsigned applicationGroupTypeCode,
                                                 std::uint16_t message,
                                                 std::uint16_t applicationId);

// A version-A group of an open data application: its 37 bits fill the last five of block B and
// blocks C and D, first bit first.
[[nodiscard]] RdsGroup openDataGroup(const GroupHeader& header, unsigned groupType,
                                     std::uint64_t bits);

}  // namespace orvane
