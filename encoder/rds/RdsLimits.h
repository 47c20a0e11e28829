#pragma once

#include <cstddef>

namespace orvane {

// What the RDS standard fixes about the values a station sets: every parser, door and builder
// takes its bounds from here, so that no two of them can disagree on what fits on air.
inline constexpr std::size_t kMaxRadiotextLength = 64;        // one radiotext message (group 2A)
inline constexpr std::size_t kServiceNameLength = 8;          // one PS frame (group 0A)
inline constexpr std::size_t kLongServiceNameLength = 32;     // UTF-8 bytes (group 15A)
inline constexpr std::size_t kProgrammeTypeNameLength = 8;    // PTYN (group 10A)
inline constexpr std::size_t kEnhancedRadiotextLength = 128;  // UTF-8 bytes (the eRT application)
inline constexpr std::size_t kMaxOtherNetworks = 8;     // EON (group 14A): a cycle within 2 minutes
inline constexpr int kMaxProgrammeType = 0x1F;          // five bits in every group
inline constexpr int kMaxDecoderIdentification = 0x0F;  // four bits, one per group 0A segment

}  // namespace orvane
