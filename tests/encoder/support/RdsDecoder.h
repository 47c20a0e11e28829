#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Checkword.h"
#include "RdsGroup.h"

// A small RDS receiver for tests, written from the standard's side rather than the encoder's:
// the multiplex taken down to data bits the way a receiver does, syndromes from the standard's
// parity-check matrix, groups from its tables.
namespace orvane::test {

// The samples of a WAV file as a player must find it: 16-bit PCM mono at `rate`, its sizes those
// of its length; none if the file is anything else.
[[nodiscard]] std::optional<std::vector<std::int16_t>> readWav(const std::string& bytes,
                                                               std::uint32_t rate = 228000);

struct PilotMeasure {
  double amplitude;  // full scale 1
  double phase;      // radians: the tone is amplitude * sin(2 pi f t + phase)
};

// A tone found by correlation over the whole signal, Hann-windowed so that strong tones nearby
// do not leak into it.
[[nodiscard]] PilotMeasure measureTone(std::span<const std::int16_t> samples, double hertz,
                                       double rate = 228000);

// The groups a receiver hears: the subcarrier is regenerated from the pilot (its third harmonic),
// the product integrated over each half bit, the bit clock found where the biphase halves differ
// most, the differential coding undone, and the bits taken as groups where four blocks in a row
// carry offsets A, B, C or C', D, and again after any group that fails the check. The pilot is
// taken to be at `pilotHertz`, steady over the samples given.
[[nodiscard]] std::vector<RdsGroup> groupsFromSamples(std::span<const std::int16_t> samples,
                                                      double rate = 228000,
                                                      double pilotHertz = 19000);

// The phase of the RDS subcarrier against three times a pilot of `pilotHertz` whose phase at
// the first sample is `pilotPhase`, in degrees, as a test instrument shows it: the signal mixed
// down with the pilot's third harmonic, the axis of the data's constellation; 0 is in phase.
// The data's sign leaves it known to half a turn: -90 to 90.
[[nodiscard]] double subcarrierAxisDegrees(std::span<const std::int16_t> samples, double rate,
                                           double pilotHertz, double pilotPhase);

// The offset a 26-bit block was sent with, known by its syndrome; none for a damaged block.
[[nodiscard]] std::optional<Offset> offsetOf(std::uint32_t block);

// Groups from the "PPPP BBBB CCCC DDDD" text format, one per line; none if any line is not.
[[nodiscard]] std::optional<std::vector<RdsGroup>> groupsFromHex(std::string_view text);

// RDS character set to UTF-8, as a receiver would show it.
[[nodiscard]] std::string utf8FromRds(std::string_view rds);

struct ClockTimeSeen {
  int modifiedJulianDay, hour, minute, offsetHalfHours;
  std::size_t group;  // index of the group that carried it
};

// One RadioText Plus tagging group, its tags applied to the radiotext on air when it came.
struct RtPlusSeen {
  bool itemToggle, itemRunning;
  std::string text;                  // UTF-8, the message whose A/B flag was on air
  std::map<int, std::string> items;  // content type to the text marked, or "<past the end>"
};

// Another network as groups 14A and 14B told of it.
struct OtherNetworkSeen {
  std::string serviceName;                      // UTF-8, once its four segments came
  std::optional<std::vector<int>> frequencies;  // kHz, once a whole method-A list came
  int programmeType = -1;
  bool trafficProgramme = false, trafficAnnouncement = false;
  std::vector<std::size_t> trafficGroupsAt;  // index of each 14B about it
  // Partial reception, as a receiver keeps it.
  std::string name = std::string(8, ' ');
  unsigned nameHave = 0;
  std::optional<std::size_t> frequenciesWanted;
  std::vector<int> frequenciesHeard;
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
  std::optional<std::uint16_t> slowLabelling;  // block C of group 1A: variant and its code
  std::vector<ClockTimeSeen> clockTimes;
  std::optional<std::vector<int>> alternativeFrequencies;  // kHz; empty: "no AF"
  // Method B: each tuned frequency to the same programme's frequencies of its last whole list, in
  // kHz; a pair sent high first (a regional variant) is left out.
  std::map<int, std::vector<int>> alternativeFrequencyLists;
  std::optional<unsigned> rtPlusGroupType;  // as 3A announced it, 11A as 22
  std::vector<RtPlusSeen> rtPlus;           // those whose radiotext came whole
  std::string programmeTypeName;            // the last PTYN heard whole
  std::string longServiceName;              // the last long PS heard whole, its UTF-8 bytes as sent
  std::map<std::uint16_t, OtherNetworkSeen> otherNetworks;  // by PI
  std::optional<unsigned> enhancedRadiotextGroupType;       // as 3A announced it, 12A as 24
  std::optional<std::uint16_t> enhancedRadiotextMessage;    // its message bits in that 3A
  std::string enhancedRadiotext;  // the last eRT heard whole, its bytes as sent
};

[[nodiscard]] Station decodeStation(std::span<const RdsGroup> groups);

}  // namespace orvane::test
