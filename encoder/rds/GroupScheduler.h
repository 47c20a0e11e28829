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
#include "GroupSequence.h"
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
// The mix, at 11.4 groups a second, is the group sequence's (GroupSequence): a cycle of places
// read one a group, each place given way to the radiotext when its service has nothing to send.
// Between its places go, without moving them: a 4A once a minute, the first group ending at or
// after half a group before the edge, so that the edge falls within half a group of its end, as
// receivers expect (docs/rds.md); a 1A every kProgrammeItemEvery groups while it is switched on
// (every kCountryCodeEvery groups with only the extended country code to carry): a programme item
// changes seldom, and a receiver needs it within seconds, not every second; and an edit.
//
// An edit of the service name, the radiotext or the programme type name takes the next group
// that is not a 4A or 1A: its own kind's place, a place given way, or one put in between, so that
// a listener sees it at once. Nothing but a 4A is put in between when that would leave fewer than
// kLeastNamesPerWindow 0A groups in kNameWindow groups (just under a second): receivers need the
// name and its flags far more than they need an edit a group sooner.
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
  static constexpr int kNameWindow = 11;         // 0.96 s
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
  // Another order of groups, from its first place; GroupSequence::standard() by default.
  void setSequence(GroupSequence sequence) {
    sequence_ = std::move(sequence);
    place_ = 0;
    skipNextPlace_ = false;
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
  RdsGroup choose(const OnAirState& state, const GroupTime& time);
  [[nodiscard]] std::optional<SlotKind> editWaiting(const OnAirState& state);
  // `skippingNext`: the place after the next goes second, the next not at all.
  [[nodiscard]] bool roomBetween(const OnAirState& state, std::int64_t startMicros,
                                 bool skippingNext = false) const;
  void advance();
  [[nodiscard]] bool hasGroupFor(SlotKind kind, const OnAirState& state);
  RdsGroup groupFor(SlotKind kind, const OnAirState& state, const GroupHeader& header,
                    const GroupTime& time);
  RdsGroup announcement(const OnAirState& state, const GroupHeader& header);
  const std::array<std::string, 2>& radiotextLines(const OnAirState& state);
  RdsGroup radiotextSegment(const OnAirState& state, const GroupHeader& header);
  RdsGroup radiotextPlusTags(const OnAirState& state, const GroupHeader& header);
  [[nodiscard]] bool minuteEdgeAtEnd(std::int64_t startMicros);
  [[nodiscard]] int groupsToMinuteEdge(std::int64_t startMicros) const;
  [[nodiscard]] bool programmeItemDue(const OnAirState& state) const;
  RdsGroup serviceName(const OnAirState& state, const GroupHeader& header, const GroupTime& time);
  [[nodiscard]] bool trafficNameShown(const OnAirState& state) const;
  [[nodiscard]] const std::string& nameShown(const OnAirState& state) const;
  RdsGroup typeName(const OnAirState& state, const GroupHeader& header);
  RdsGroup longName(const OnAirState& state, const GroupHeader& header);

  std::uint16_t programmeIdentification_;
  LocalOffset localOffset_;
  std::optional<std::uint8_t> countryCode_;
  GroupSequence sequence_ = GroupSequence::standard();
  std::size_t place_ = 0;          // the sequence's next place
  bool announceEnhanced_ = false;  // whose turn a 3A is when both applications are on air
  int groupsSinceProgrammeItem_ = kCountryCodeEvery;
  std::optional<std::int64_t> minute_;  // the last minute edge a group ended on
  // A bit for each of the last groups, set for a 0A: as though names went before the first.
  std::uint32_t recentNames_ = ~0u;
  bool putBetween_ = false;     // the last group was an edit put in between
  bool skipNextPlace_ = false;  // an edit went in the place after the next

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

  std::string typeName_;  // the name on air, whose A/B flag flips when it changes
  bool typeNameB_ = false;
  // A new type name is an edit once one has gone out, or once groups have gone out with none to
  // send; one kept from before a start still waits for its place after the first names.
  bool typeNameEditIsNews_ = false;
  int typeNameSegment_ = 0;

  std::string longName_;  // the long name on air, whose transmission starts again when it changes
  int longNameSegment_ = 0;

  OtherNetworkCycle otherNetworks_;
  EnhancedRadiotext enhancedRadiotext_;
};

}  // namespace orvane
