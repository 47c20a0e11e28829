#include "EnhancedRadiotext.h"

#include "RdsLimits.h"

namespace orvane {
namespace {

constexpr unsigned kGroupTypeCode = EnhancedRadiotext::kGroupType << 1;  // version A
// The application's message bits in 3A: bit 0 UTF-8 rather than UCS-2; direction left to right,
// the default character table.
constexpr std::uint16_t kUtf8Message = 0x0001;
constexpr char kEndOfText = 0x0D;
constexpr std::size_t kBytesPerSegment = 4;

std::uint16_t twoBytes(std::string_view s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(s[at]) << 8 |
                                    static_cast<std::uint8_t>(s[at + 1]));
}

}  // namespace

RdsGroup EnhancedRadiotext::announcement(const GroupHeader& header) {
  return openDataAnnouncementGroup(header, kGroupTypeCode, kUtf8Message, kApplicationId);
}

// Like a radiotext: a shorter text ends with a carriage return, and only the segments up to it
// go out.
RdsGroup EnhancedRadiotext::next(const GroupHeader& header, std::string_view text) {
  if (text != text_) {
    text_ = std::string(text.substr(0, kEnhancedRadiotextLength));
    segment_ = 0;
  }
  std::string padded = text_;
  if (padded.size() < kEnhancedRadiotextLength) padded += kEndOfText;
  const std::size_t segments = (padded.size() + kBytesPerSegment - 1) / kBytesPerSegment;
  padded.resize(segments * kBytesPerSegment, ' ');
  const auto at = static_cast<std::size_t>(segment_) * kBytesPerSegment;
  const auto address = static_cast<unsigned>(segment_);
  segment_ = (segment_ + 1) % static_cast<int>(segments);
  return openDataGroup(header, kGroupType,
                       std::uint64_t{address} << 32 | std::uint64_t{twoBytes(padded, at)} << 16 |
                           twoBytes(padded, at + 2));
}

}  // namespace orvane
