#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The station's other transmitters, so that car radios follow the programme from one to the
// next. Sent by method A in block C of the 0A groups: a first code saying how many frequencies
// follow, then the frequencies, two codes a group, the list going round and round.
class AlternativeFrequencies {
 public:
  static constexpr std::size_t kMaxFrequencies = 25;  // what the count code can say

  // An empty list: block C says "no alternative frequencies".
  AlternativeFrequencies() = default;

  // "87.6,101.2,105.4": MHz from 87.6 to 107.9 on the 0.1 MHz raster, at most 25, none twice.
  // None, with `error` set, for anything else: a frequency a receiver would tune to wrongly is
  // worse than none.
  [[nodiscard]] static std::optional<AlternativeFrequencies> parse(std::string_view list,
                                                                   std::string& error);

  // Block C of the next 0A group.
  [[nodiscard]] std::uint16_t nextPair();

 private:
  std::vector<std::uint8_t> codes_;  // as sent: the count first, filled up to an even number
  std::size_t next_ = 0;
};

}  // namespace orvane
