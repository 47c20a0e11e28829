#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Checkword.h"
#include "RdsGroup.h"

// A small RDS receiver for tests, written from the standard's side rather than the encoder's:
// syndromes from its parity-check matrix, groups from its tables.
namespace orvane::test {

// The offset a 26-bit block was sent with, known by its syndrome; none for a damaged block.
[[nodiscard]] std::optional<Offset> offsetOf(std::uint32_t block);

// Groups from a stream of data bits: synchronises where four blocks in a row carry offsets A, B,
// C or C', D, and again after any group that fails the check.
[[nodiscard]] std::vector<RdsGroup> groupsFromBits(std::span<const std::uint8_t> bits);

// Groups from the "PPPP BBBB CCCC DDDD" text format, one per line; none if any line is not.
[[nodiscard]] std::optional<std::vector<RdsGroup>> groupsFromHex(std::string_view text);

// RDS character set to UTF-8, as a receiver would show it.
[[nodiscard]] std::string utf8FromRds(std::string_view rds);

struct ClockTimeSeen {
  int modifiedJulianDay, hour, minute, offsetHalfHours;
  std::size_t group;  // index of the group that carried it
};

// What a receiver knows after reading groups in order.
struct Station {
  std::optional<std::uint16_t> pi;
  int programmeType = -1;
  bool trafficProgramme = false, trafficAnnouncement = false, music = false;
  int decoderIdentification = -1;          // once all four segments came
  std::vector<std::string> serviceNames;   // each complete PS, UTF-8, repeats folded
  std::vector<std::size_t> serviceNameAt;  // group index where each of them completed
  std::vector<std::string> radiotexts;     // each complete message, UTF-8, repeats folded
  std::vector<bool> radiotextFlags;        // the A/B flag each was sent with
  std::optional<std::uint16_t> programmeItem;
  std::vector<ClockTimeSeen> clockTimes;
};

[[nodiscard]] Station decodeStation(std::span<const RdsGroup> groups);

}  // namespace orvane::test
