#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "GroupBuilder.h"
#include "OnAirState.h"
#include "OtherNetwork.h"
#include "RdsGroup.h"
#include "RdsLimits.h"

namespace orvane {

// The other networks on air (EON), one network after the other: its name in variants 0 to 3 of
// group 14A, its frequencies in variant 4, its programme type and TA in variant 13, its PI code
// in block D of each. They take no more of the signal than a whole cycle in kCycleGroups (100 s)
// needs, and no more than the group sequence's 14A places give them (one in 20): with the most
// networks and frequencies, 64 groups, the cycle takes 112 s, inside the two minutes receivers
// are given; two networks without frequencies take one group in 114.
//
// When a network's TA changes, kBurst groups 14B say so at once, one in kBurstSpacing groups at
// most (2.1 s for all eight), as the standard asks of a switch-on, so that a receiver tunes over
// while the announcement is still starting; 14A variant 13 then keeps saying it. A TA goes on air
// only for a network with TP, as the station's own does.
class OtherNetworkCycle {
 public:
  static constexpr int kCycleGroups = 1140;
  static constexpr int kBurst = 8;
  static constexpr int kBurstSpacing = 3;

  void setNetworks(std::vector<OtherNetwork> networks);
  [[nodiscard]] bool empty() const { return networks_.empty(); }

  // Once for every group on air, whatever it is.
  void tick(const OnAirState& state);
  // A 14B is waiting and may go: news that cannot wait for a 14A place.
  [[nodiscard]] bool burstDue() const;
  // The cycle is not ahead of its pace: a 14A place is ours.
  [[nodiscard]] bool variantDue() const;
  // A 14B while one is due, else the next 14A.
  RdsGroup next(const OnAirState& state, const GroupHeader& header);

 private:
  struct Sending {
    OtherNetwork network;
    std::vector<unsigned> variants;  // one cycle of the network's 14A variants
    bool trafficSeen = false;        // its TA as last put on air
    int burstLeft = 0;               // 14B groups still to send for its last change
  };

  [[nodiscard]] bool trafficOnAir(const OnAirState& state, std::size_t index) const;
  RdsGroup trafficGroup(const OnAirState& state, const GroupHeader& header, std::size_t index);
  RdsGroup variantGroup(const OnAirState& state, const GroupHeader& header);

  std::vector<Sending> networks_;
  int groupsSince_ = 0;  // since the last 14B
  // Kept in groups times kCycleGroups: each group on air earns the cycle's length, each 14A
  // spends kCycleGroups, so the cycle's pace is its length in kCycleGroups.
  int credit_ = 0;
  int cycleLength_ = 0;
  std::size_t network_ = 0;  // whose variants go out now
  std::size_t variant_ = 0;  // the next of them
};

}  // namespace orvane
