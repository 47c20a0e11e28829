#include "OtherNetworkCycle.h"

#include <algorithm>

#include "RdsCharset.h"

namespace orvane {
namespace {

constexpr unsigned kOtherNetworkGroup = 14;
constexpr std::uint16_t kVersionB = 0x0800;
constexpr unsigned kFrequencyVariant = 4;
constexpr unsigned kTypeAndTrafficVariant = 13;
constexpr unsigned kNameVariants = 4;  // two characters each
constexpr unsigned kTrafficProgrammeBit = 0x10;
constexpr unsigned kTrafficAnnouncementBit = 0x08;  // of 14B's block B
constexpr int kTypeShift = 11;                      // of variant 13's block C

std::vector<unsigned> variantsOf(const OtherNetwork& network) {
  std::vector<unsigned> variants;
  for (unsigned v = 0; v < kNameVariants; ++v) variants.push_back(v);
  // Method A: the count code, then the frequencies, two codes a group.
  const std::size_t pairs = network.frequencyCount == 0 ? 0 : (network.frequencyCount + 2) / 2;
  variants.insert(variants.end(), pairs, kFrequencyVariant);
  variants.push_back(kTypeAndTrafficVariant);
  return variants;
}

// Block B's last five bits, blocks C and D, as an open data group carries them.
std::uint64_t bitsOf(unsigned low5, std::uint16_t c, std::uint16_t d) {
  return std::uint64_t{low5} << 32 | std::uint64_t{c} << 16 | d;
}

}  // namespace

void OtherNetworkCycle::setNetworks(std::vector<OtherNetwork> networks) {
  networks_.clear();
  for (OtherNetwork& network : networks) {
    std::vector<unsigned> variants = variantsOf(network);
    networks_.push_back({std::move(network), std::move(variants)});
  }
  network_ = variant_ = 0;
  cycleLength_ = 0;
  for (const Sending& sending : networks_)
    cycleLength_ += static_cast<int>(sending.variants.size());
  credit_ = kCycleGroups;  // the first 14A place is ours
}

bool OtherNetworkCycle::trafficOnAir(const OnAirState& state, std::size_t index) const {
  return index < state.otherNetworkTraffic.size() && state.otherNetworkTraffic[index] &&
         networks_[index].network.trafficProgramme;
}

void OtherNetworkCycle::tick(const OnAirState& state) {
  for (std::size_t i = 0; i < networks_.size(); ++i) {
    const bool on = trafficOnAir(state, i);
    if (on != networks_[i].trafficSeen) {
      networks_[i].trafficSeen = on;
      networks_[i].burstLeft = kBurst;
    }
  }
  groupsSince_ = std::min(groupsSince_ + 1, kBurstSpacing);
  // Two cycles' worth at most: a pace caught up after a burst, never a flood of 14A.
  credit_ = std::min(credit_ + cycleLength_, 2 * kCycleGroups);
}

bool OtherNetworkCycle::burstDue() const {
  return groupsSince_ >= kBurstSpacing &&
         std::ranges::any_of(networks_, [](const Sending& s) { return s.burstLeft > 0; });
}

bool OtherNetworkCycle::variantDue() const {
  return !networks_.empty() && credit_ >= kCycleGroups;
}

RdsGroup OtherNetworkCycle::next(const OnAirState& state, const GroupHeader& header) {
  for (std::size_t i = 0; i < networks_.size() && groupsSince_ >= kBurstSpacing; ++i) {
    if (networks_[i].burstLeft > 0) {
      groupsSince_ = 0;
      return trafficGroup(state, header, i);
    }
  }
  credit_ = std::max(0, credit_ - kCycleGroups);
  return variantGroup(state, header);
}

// 14B: the tuned network's PI in block C, the other's in block D, its TP and TA in block B.
RdsGroup OtherNetworkCycle::trafficGroup(const OnAirState& state, const GroupHeader& header,
                                         std::size_t index) {
  Sending& sending = networks_[index];
  --sending.burstLeft;
  const unsigned flags = (sending.network.trafficProgramme ? kTrafficProgrammeBit : 0U) |
                         (trafficOnAir(state, index) ? kTrafficAnnouncementBit : 0U);
  RdsGroup group = openDataGroup(
      header, kOtherNetworkGroup,
      bitsOf(flags, header.programmeIdentification, sending.network.programmeIdentification));
  group.blocks[1] |= kVersionB;
  return group;
}

RdsGroup OtherNetworkCycle::variantGroup(const OnAirState& state, const GroupHeader& header) {
  Sending& sending = networks_[network_];
  const OtherNetwork& network = sending.network;
  const unsigned variant = sending.variants[variant_];
  std::uint16_t c = 0;
  if (variant < kNameVariants) {
    std::string name = rdsText(network.serviceName);
    name.resize(kNameVariants * 2, ' ');
    c = static_cast<std::uint16_t>(static_cast<std::uint8_t>(name[variant * 2]) << 8 |
                                   static_cast<std::uint8_t>(name[variant * 2 + 1]));
  } else if (variant == kFrequencyVariant) {
    c = sending.network.frequencies.nextPair();
  } else {
    c = static_cast<std::uint16_t>((static_cast<unsigned>(network.programmeType) & 0x1F)
                                       << kTypeShift |
                                   (trafficOnAir(state, network_) ? 1U : 0U));
  }
  if (++variant_ == sending.variants.size()) {
    variant_ = 0;
    network_ = (network_ + 1) % networks_.size();
  }
  const unsigned low5 = (network.trafficProgramme ? kTrafficProgrammeBit : 0U) | variant;
  return openDataGroup(header, kOtherNetworkGroup,
                       bitsOf(low5, c, network.programmeIdentification));
}

}  // namespace orvane
