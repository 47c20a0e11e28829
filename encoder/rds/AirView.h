#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "GroupBuilder.h"

namespace orvane {

// What a receiver would know from the groups that went out, as the status page shows it. Texts
// are UTF-8, decoded from the RDS character set as a receiver shows them.
struct AirView {
  // Types 0A..15B as type * 2 + version (0A is 0, 0B is 1, 11A is 22).
  static constexpr std::size_t kGroupTypes = 32;

  struct RadiotextLine {
    std::string text;       // the last message that came whole with this A/B flag
    bool complete = false;  // false until one did
    bool operator==(const RadiotextLine&) const = default;
  };

  struct RadiotextPlusItem {
    bool announced = false;  // a 3A named the application and its group type
    bool itemToggle = false;
    bool itemRunning = false;
    std::string artist;  // the tagged parts of the message on air
    std::string title;
    bool operator==(const RadiotextPlusItem&) const = default;
  };

  // Another network of the station's group, as 14A and 14B told of it.
  struct OtherNetworkHeard {
    std::string serviceName;  // UTF-8, once its four segments came
    bool trafficProgramme = false;
    bool trafficAnnouncement = false;  // as the last 14B or 14A variant 13 said
    bool operator==(const OtherNetworkHeard&) const = default;
  };

  std::optional<std::uint16_t> programmeIdentification;
  std::string serviceName;                    // the frame that came whole last
  std::vector<std::string> serviceNameCycle;  // the frames of one turn of a name that runs
  std::array<RadiotextLine, 2> radiotext;     // by A/B flag: A first
  bool radiotextB = false;                    // the flag of the message going out now
  RadiotextPlusItem radiotextPlus;
  int programmeType = 0;
  std::string programmeTypeName;   // Portuguese, as the console lists it
  std::string programmeTypeName8;  // PTYN, the station's own, when one is sent
  std::string longServiceName;     // LPS, UTF-8, when one is sent
  std::string enhancedRadiotext;   // eRT, UTF-8 as sent, once a 3A named its group
  std::map<std::uint16_t, OtherNetworkHeard> otherNetworks;  // EON, by PI
  bool trafficAnnouncement = false;
  bool trafficProgramme = false;
  bool music = false;
  std::optional<int> decoderIdentification;                   // once all four bits came
  std::optional<std::vector<int>> alternativeFrequenciesKhz;  // empty: the list says none
  // Method B: each transmitter's tuned frequency to the others carrying the same programme.
  std::map<int, std::vector<int>> alternativeFrequencyListsKhz;
  std::optional<std::uint8_t> extendedCountryCode;
  std::optional<ClockTime> clockTime;                   // as the last 4A gave it
  std::optional<std::uint16_t> programmeItem;           // the 1A's programme-item number, 0: none
  std::array<std::uint64_t, kGroupTypes> groupsSent{};  // since the start
  std::array<std::uint32_t, kGroupTypes> groupsLastMinute{};  // of the signal's time
};

}  // namespace orvane
