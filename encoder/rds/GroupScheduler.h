#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AlternativeFrequencies.h"
#include "EnhancedRadiotext.h"
#include "GroupBuilder.h"
#include "OnAirState.h"
#include "OtherNetworkCycle.h"
#include "RadiotextCycle.h"
#include "RadiotextPlus.h"
#include "RdsGroup.h"
#include "TimedServiceName.h"

namespace orvane {

// Decides which group goes on air next and builds it from the on-air state. Deterministic: the
// caller gives every group its start time, so that the same state and times always give the
// same groups, in a test as on air.
//
// The mix, at 11.4 groups a second: service name (0A) and radiotext (2A) take turns, so the name
// is complete every 8 groups (0.7 s) and a 64-character radiotext every 32 (2.8 s). A group 1A
// takes the place of the next turn every kProgrammeItemEvery groups while it is switched on (and
// every kCountryCodeEvery groups with only the extended country code to carry): a programme item
// changes seldom, and a receiver needs it within seconds, not every second. A group 4A
// does so once a minute: the first group ending at or after half a group before the edge, so
// that the edge falls within half a group of its end, as receivers expect (docs/rds.md). With
// RadioText Plus on, one radiotext turn in kRadiotextPlusEvery goes to its groups, which leaves a
// 64-character radiotext complete within about 4 s.
//
// An edit of the service name, the radiotext or the programme type name takes the next group
// that is not a 4A or 1A, out of turn if need be, so that a listener sees it one group sooner
// half the time; the turn it took comes next. An edit never takes a name's turn when that would
// leave fewer than kLeastNamesPerWindow 0A groups in kNameWindow groups (just under a second):
// receivers need the name and its flags far more than they need an edit a group sooner.
//
// Each group has two times. The time of day may be stepped (a clock put right) and decides the
// clock time and its minute edge; the signal's own time only runs forward and measures how long
// a frame of the service name has been on, so that a step back cannot freeze it.
struct GroupTime {
  std::int64_t signalMicros = 0;  // any origin
  std::int64_t unixMicros = 0;    // the time of day the group starts at
};

class GroupScheduler {
 public:
  // Minutes east of UTC at a Unix time.
  using LocalOffset = std::function<int(std::int64_t unixSeconds)>;

  static constexpr std::int64_t kGroupMicros = 87579;  // 104 bits at 1187.5 bit/s
  // 2.98 s: never closer than 2 s, never further than 5 s even beside a 4A and its neighbours.
  static constexpr int kProgrammeItemEvery = 34;
  static constexpr int kCountryCodeEvery = 114;  // 10 s: soon known after tuning in
  static constexpr int kRadiotextPlusEvery = 5;
  // With a programme type name, one group in kTypeNameEvery is a 10A: the name whole in 3.5 s.
  static constexpr int kTypeNameEvery = 20;
  // With a long service name, one group in kLongNameEvery is a 15A: 32 bytes whole in 7 s.
  static constexpr int kLongNameEvery = 10;
  // With an enhanced radiotext, one group in kEnhancedRadiotextEvery is its 12A or 3A.
  static constexpr int kEnhancedRadiotextEvery = 28;
  static constexpr int kNameWindow = 11;  // 0.96 s
  static constexpr int kLeastNamesPerWindow = 4;

  // `countryCode` is the extended country code, sent in group 1A when given.
  GroupScheduler(std::uint16_t programmeIdentification, LocalOffset localOffset,
                 std::optional<std::uint8_t> countryCode = std::nullopt);

  // Station settings that no console command changes; none by default. A reload of the
  // configuration sets them again, and the next group carries them.
  void setProgrammeIdentification(std::uint16_t code) { programmeIdentification_ = code; }
  void setCountryCode(std::optional<std::uint8_t> code) { countryCode_ = code; }
  void setAlternativeFrequencies(AlternativeFrequencies list) {
    alternativeFrequencies_ = std::move(list);
  }
  void setRadiotextPlus(RtPlusFormat format) { radiotextPlus_.emplace(format); }
  // The name shown instead of the service name while a traffic announcement is on air (TA with
  // TP), in Windows-1252 as the state's texts are; empty: the service name stays.
  void setTrafficServiceName(std::string name) { trafficName_ = std::move(name); }
  // The station's other networks (EON), at most kMaxOtherNetworks; none by default.
  void setOtherNetworks(std::vector<OtherNetwork> networks) {
    otherNetworks_.setNetworks(std::move(networks));
  }

  // Where the radiotext rotation and the song tags stand, for a later run to go on from, so that
  // a restart does not make receivers clear a text or a song that did not change.
  struct Continuity {
    std::optional<RadiotextCycle::Rotation> rotation;
    std::optional<RadiotextPlus::Item> songItem;
    bool operator==(const Continuity&) const = default;
  };
  [[nodiscard]] Continuity continuity() const;
  // Before the first group; `radiotext` is the state's two lines as they were when `continuity`
  // was taken, and RadioText Plus already set.
  void resume(const Continuity& continuity, const std::array<std::string, 2>& radiotext);

  [[nodiscard]] RdsGroup next(const OnAirState& state, const GroupTime& time);
  // For a signal whose time of day runs with it: `startMicros` in microseconds of Unix time.
  [[nodiscard]] RdsGroup next(const OnAirState& state, std::int64_t startMicros) {
    return next(state, GroupTime{startMicros, startMicros});
  }

 private:
  enum class Carrier { None, ServiceName, Radiotext, TypeName };

  RdsGroup choose(const OnAirState& state, const GroupTime& time);
  [[nodiscard]] Carrier editWaiting(const OnAirState& state);
  [[nodiscard]] bool nameTurnToSpare() const;
  const std::array<std::string, 2>& radiotextLines(const OnAirState& state);
  RdsGroup radiotextTurn(const OnAirState& state, const GroupHeader& header);
  [[nodiscard]] bool minuteEdgeAtEnd(std::int64_t startMicros);
  [[nodiscard]] bool programmeItemDue(const OnAirState& state) const;
  RdsGroup serviceName(const OnAirState& state, const GroupHeader& header, const GroupTime& time);
  [[nodiscard]] bool trafficNameShown(const OnAirState& state) const;
  [[nodiscard]] const std::string& nameShown(const OnAirState& state) const;
  [[nodiscard]] bool typeNameDue(const OnAirState& state);
  RdsGroup typeName(const OnAirState& state, const GroupHeader& header);
  [[nodiscard]] bool longNameDue(const OnAirState& state);
  RdsGroup longName(const OnAirState& state, const GroupHeader& header);
  [[nodiscard]] bool enhancedRadiotextDue(const OnAirState& state);

  std::uint16_t programmeIdentification_;
  LocalOffset localOffset_;
  std::optional<std::uint8_t> countryCode_;
  bool radiotextTurn_ = false;
  int groupsSinceProgrammeItem_ = kCountryCodeEvery;
  std::optional<std::int64_t> minute_;  // the last minute edge a group ended on
  std::uint32_t recentNames_ = 0;       // a bit for each of the last groups: set for a 0A
  bool tookTurn_ = false;               // the last group was an edit out of turn

  // Frames change only between complete transmissions of the name.
  TimedServiceName serviceName_;
  std::string name_;   // the service name on air, whose transmission starts again when it changes
  std::string frame_;  // the frame going out in the current transmission, in the RDS character set
  int segment_ = 0;
  bool nameSent_ = false;  // an edit is only news once a name has gone out
  std::string trafficName_;

  RadiotextCycle radiotext_;
  // The console's lines as last seen, and in the RDS character set: converted once per edit.
  std::array<std::string, 2> seenRadiotext_;
  std::array<std::string, 2> rdsRadiotext_;
  AlternativeFrequencies alternativeFrequencies_;
  std::optional<RadiotextPlus> radiotextPlus_;
  int radiotextTurns_ = 0;

  int groupsSinceTypeName_ = 0;
  std::string typeName_;  // the name on air, whose A/B flag flips when it changes
  bool typeNameB_ = false;
  bool typeNameSent_ = false;
  int typeNameSegment_ = 0;

  int groupsSinceLongName_ = 0;
  std::string longName_;  // the long name on air, whose transmission starts again when it changes
  int longNameSegment_ = 0;

  OtherNetworkCycle otherNetworks_;
  EnhancedRadiotext enhancedRadiotext_;
  int groupsSinceEnhancedRadiotext_ = 0;
};

}  // namespace orvane
