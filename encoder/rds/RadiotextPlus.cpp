#include "RadiotextPlus.h"

#include <algorithm>

namespace orvane {
namespace {

// Group 11A as 3A names it: type 11 in the top four bits, version A.
constexpr unsigned kTagGroupType = 11;
constexpr unsigned kTagGroupTypeCode = kTagGroupType << 1;
// The application's message bits in 3A: no template, no server control, CB flag clear.
constexpr std::uint16_t kAnnouncementMessage = 0;

constexpr int kContentTypeBits = 6, kStartBits = 6;
constexpr std::array<int, 2> kLengthBits = {6, 5};

constexpr unsigned mask(int bits) {
  return (1U << bits) - 1;
}

// The 37 bits of the tagging group, first bit first: item toggle, item running, then per tag
// its content type, its start and its length less one.
std::uint64_t tagBits(bool itemToggle, const RtPlusTags& tags) {
  std::uint64_t bits = (std::uint64_t{itemToggle} << 1) | tags.itemRunning;
  for (std::size_t i = 0; i < tags.tags.size(); ++i) {
    const RtPlusTag& tag = tags.tags[i];
    const auto length = static_cast<unsigned>(tag.contentType == 0 ? 0 : tag.length - 1);
    bits = (bits << kContentTypeBits) |
           (static_cast<unsigned>(tag.contentType) & mask(kContentTypeBits));
    bits = (bits << kStartBits) | (static_cast<unsigned>(tag.start) & mask(kStartBits));
    bits = (bits << kLengthBits[i]) | (length & mask(kLengthBits[i]));
  }
  return bits;
}

// What identifies a song: the texts its tags mark, each after its content type and length, so
// that the whole stays printable and no two songs read the same.
std::string itemOf(std::string_view text, const RtPlusTags& tags) {
  std::string item;
  for (const RtPlusTag& tag : tags.tags) {
    // Tags that reach past the text (a door's, or a kept file's) mark only what is there.
    const auto start = std::min(static_cast<std::size_t>(tag.start), text.size());
    const std::string_view marked = text.substr(start, static_cast<std::size_t>(tag.length));
    item += std::to_string(tag.contentType) + ':' + std::to_string(marked.size()) + ':';
    item += marked;
  }
  return item;
}

}  // namespace

RdsGroup RadiotextPlus::announcement(const GroupHeader& header) {
  return openDataAnnouncementGroup(header, kTagGroupTypeCode, kAnnouncementMessage, kApplicationId);
}

RdsGroup RadiotextPlus::tagGroup(const GroupHeader& header, std::string_view textOnAir,
                                 const std::array<std::string, 2>& lines, const RtPlusTags* given) {
  RtPlusTags tags = given ? *given : tagRadiotext(textOnAir, format_);
  if (tags.itemRunning) {
    std::string item = itemOf(textOnAir, tags);
    if (item_ && *item_ != item) itemToggle_ = !itemToggle_;
    item_ = std::move(item);
  } else {
    tags.itemRunning = songStillOn(lines);
  }
  return openDataGroup(header, kTagGroupType, tagBits(itemToggle_, tags));
}

std::optional<RadiotextPlus::Item> RadiotextPlus::item() const {
  if (!item_) return std::nullopt;
  return Item{itemToggle_, *item_};
}

void RadiotextPlus::resume(Item item) {
  itemToggle_ = item.toggle;
  item_ = std::move(item.song);
}

bool RadiotextPlus::songStillOn(const std::array<std::string, 2>& lines) const {
  return item_ && std::ranges::any_of(lines, [this](const std::string& line) {
           const RtPlusTags tags = tagRadiotext(line, format_);
           return tags.itemRunning && itemOf(line, tags) == *item_;
         });
}

}  // namespace orvane
