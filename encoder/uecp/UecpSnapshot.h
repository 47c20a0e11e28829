#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "OnAirField.h"
#include "OnAirState.h"
#include "UecpTextMemory.h"

namespace orvane {

// What a UECP peer should hold, field by field: the elements that set each field, one frame each,
// in the order they are to be sent; empty for a field nobody has given a value, which is left as
// the peer has it.
using UecpSnapshot = std::array<std::vector<std::string>, kOnAirFieldCount>;

// A snapshot kept up to date, with a count per field that moves each time the field's elements
// change: a target that remembers the counts it sent knows what it lacks without comparing texts.
struct UecpWanted {
  UecpSnapshot elements;
  std::array<std::uint64_t, kOnAirFieldCount> revisions{};
};

// `serviceNameFrame` is the 8 characters the name shows now (see TimedServiceName); `texts`, when
// given, holds texts as UECP clients sent them, which are sent so rather than translated.
[[nodiscard]] UecpSnapshot uecpSnapshot(const OnAirState& state, const AssignedFields& assigned,
                                        const std::string& serviceNameFrame,
                                        const UecpTextMemory* texts = nullptr);

// The elements of one field, as in the snapshot, whether or not anyone has given it a value.
[[nodiscard]] std::vector<std::string> uecpElements(OnAirField field, const OnAirState& state,
                                                    const std::string& serviceNameFrame,
                                                    const UecpTextMemory* texts = nullptr);

// How often a peer is to send a radiotext message before the next: about as long as the
// software encoder keeps one on (24 groups), and at least twice.
[[nodiscard]] int uecpTransmissionsFor(std::size_t textLength);

}  // namespace orvane
