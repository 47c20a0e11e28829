#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <utility>

#include "AirView.h"
#include "RdsGroup.h"
#include "RdsLimits.h"

namespace orvane {

// A receiver inside the encoder: it is fed each group as the output makes it, and keeps what a
// radio would show. The status page is built from this rather than from the on-air state, so
// that it shows what really went out, a fault in the groups included. The groups come straight
// from the scheduler, so there are no bit errors to correct; whatever a group says is believed.
class AirReadBack {
 public:
  // `signalMicros` is the group's start in the signal's own time, which only runs forward.
  void take(const RdsGroup& group, std::int64_t signalMicros);

  [[nodiscard]] const AirView& view() const { return view_; }
  // Counts every change of what a receiver shows (not of the group counts), so that a watcher can
  // tell cheaply whether there is news.
  [[nodiscard]] std::uint64_t changes() const { return changes_; }
  // The signal time of the last change of either radiotext message.
  [[nodiscard]] std::int64_t radiotextChangedAt() const { return radiotextChangedAt_; }

 private:
  void count(unsigned type, std::int64_t signalMicros);
  void takeHeader(const RdsGroup& group);
  void takeServiceName(const RdsGroup& group);
  void takeAlternativeFrequencies(std::uint8_t code);
  void takeRadiotext(const RdsGroup& group, std::int64_t signalMicros);
  void takeProgrammeItem(const RdsGroup& group);
  void takeClockTime(const RdsGroup& group);
  void takeAnnouncement(const RdsGroup& group);
  void takeRadiotextPlus(const RdsGroup& group);
  void takeProgrammeTypeName(const RdsGroup& group);
  void takeLongServiceName(const RdsGroup& group);
  void takeEnhancedRadiotext(const RdsGroup& group);
  void takeOtherNetwork(const RdsGroup& group, std::int64_t signalMicros);
  void forgetOtherNetworks(std::int64_t signalMicros);
  template <typename T>
  void set(T& field, T value);

  AirView view_;
  std::uint64_t changes_ = 0;
  std::int64_t radiotextChangedAt_ = 0;
  std::deque<std::pair<std::int64_t, std::uint8_t>> lastMinute_;  // start and type of each group

  std::array<char, kServiceNameLength> name_{};
  unsigned nameSegments_ = 0;  // bit per segment received since segment 0
  unsigned diBits_ = 0, diSeen_ = 0;
  std::vector<std::string> cycle_;  // frames since one last came round again
  std::vector<std::string> turn_;   // the frames between the last two times one came round

  std::array<std::array<char, kMaxRadiotextLength>, 2> text_{};
  std::array<std::uint32_t, 2> textSegments_{};
  std::array<std::string, 2> message_;  // the raw bytes of each flag's last whole message

  std::vector<int> frequencies_;
  std::size_t frequenciesExpected_ = 0;

  std::optional<unsigned> radiotextPlusType_;
  std::array<char, kProgrammeTypeNameLength> typeName_{};
  unsigned typeNameSegments_ = 0;
  std::optional<bool> typeNameB_;  // the A/B flag of the name being read

  std::array<char, kLongServiceNameLength> longName_{};
  std::uint32_t longNameSegments_ = 0;

  std::optional<unsigned> enhancedRadiotextType_;
  std::array<char, kEnhancedRadiotextLength> enhancedText_{};
  std::uint32_t enhancedTextSegments_ = 0;

  // What a network's groups said so far, heard or not yet whole.
  struct OtherNetworkHearing {
    std::array<char, kServiceNameLength> name{};
    unsigned nameSegments = 0;
    std::int64_t heardAt = 0;  // signal time of its last group
  };
  std::map<std::uint16_t, OtherNetworkHearing> otherHearing_;  // by PI
};

}  // namespace orvane
