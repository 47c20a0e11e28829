#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The station's other transmitters, so that car radios follow the programme from one to the
// next. Sent in block C of the 0A groups, two codes a group, going round and round. By method A,
// one list for the whole network: a first code saying how many frequencies follow, then the
// frequencies. By method B, one list per transmitter, so that a receiver tuned to one is offered
// only the transmitters that overlap it: the count and the tuned frequency, then one pair per
// alternative, the tuned frequency and that one, the lower first (the same programme).
class AlternativeFrequencies {
 public:
  static constexpr std::size_t kMaxFrequencies = 25;  // what the count code can say
  static constexpr std::size_t kMaxPerTransmitter = (kMaxFrequencies - 1) / 2;  // 12 pairs
  // Each list takes a group per pair and one more: 16 full lists go round in under 40 s of 0A.
  static constexpr std::size_t kMaxTransmitters = 16;

  // An empty list: block C says "no alternative frequencies".
  AlternativeFrequencies() = default;

  // "87.6,101.2,105.4": MHz from 87.6 to 107.9 on the 0.1 MHz raster, at most 25, none twice.
  // None, with `error` set, for anything else: a frequency a receiver would tune to wrongly is
  // worse than none.
  [[nodiscard]] static std::optional<AlternativeFrequencies> parse(std::string_view list,
                                                                   std::string& error);

  // Adds one transmitter's method B list, "89.3:87.6,101.2": the frequency it is tuned to, then
  // up to 12 others carrying the same programme, on the raster `parse` takes. False, with `error`
  // set and nothing added, for a list that is not one, a tuned frequency that has a list already
  // (a receiver could not tell the two apart) or after a method A list: a receiver reads one
  // method from the shape of what it hears, and the two mixed would read as neither.
  bool addTransmitter(std::string_view list, std::string& error);

  [[nodiscard]] bool byTransmitter() const { return !tuned_.empty(); }
  [[nodiscard]] bool empty() const { return codes_.empty(); }

  // Block C of the next 0A group.
  [[nodiscard]] std::uint16_t nextPair();

 private:
  std::vector<std::uint8_t> codes_;  // as sent: each list its count first, of an even length
  std::vector<std::uint8_t> tuned_;  // method B: the tuned frequency of each list
  std::size_t next_ = 0;
};

}  // namespace orvane
