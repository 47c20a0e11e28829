#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "GroupBuilder.h"
#include "RdsGroup.h"

namespace orvane {

// Enhanced radiotext (eRT): up to 128 bytes of UTF-8, so that receivers show any script, through
// its open data application. Group 12A carries it, four bytes a segment, segment address in block
// B; a 3A names the application and says "UTF-8, left to right", so that a receiver tuning in
// learns within seconds where to find it.
class EnhancedRadiotext {
 public:
  static constexpr std::uint16_t kApplicationId = 0x6552;
  static constexpr unsigned kGroupType = 12;  // 12A: free of any feature this encoder carries

  [[nodiscard]] static RdsGroup announcement(const GroupHeader& header);
  // The next segment of `text`, UTF-8 as sent: a new text starts again at its first segment.
  RdsGroup next(const GroupHeader& header, std::string_view text);

 private:
  std::string text_;
  int segment_ = 0;
};

}  // namespace orvane
