#include "RtPlusTagger.h"

#include <algorithm>
#include <utility>

namespace orvane {
namespace {

constexpr std::string_view kSeparator = " - ";

// The part [from, to) of `text` without the blanks around it, as far as a tag can reach.
RtPlusTag tagOf(std::string_view text, std::size_t from, std::size_t to, int contentType) {
  while (from < to && text[from] == ' ') ++from;
  while (to > from && text[to - 1] == ' ') --to;
  to = std::min(to, std::size_t{kMaxTagStart} + 1);
  if (from >= to) return {};
  return {contentType, static_cast<int>(from), static_cast<int>(to - from)};
}

}  // namespace

RtPlusTags tagRadiotext(std::string_view text, RtPlusFormat format) {
  const bool artistFirst = format == RtPlusFormat::ArtistTitle;
  // Titles carry their own dashes ("Hey Jude - Remastered 2015", "... - Live"); artists seldom
  // do. So the artist's side ends at the first separator, or begins after the last one.
  const std::size_t separator = artistFirst ? text.find(kSeparator) : text.rfind(kSeparator);
  if (separator == std::string_view::npos) return {};
  RtPlusTag left = tagOf(text, 0, separator, artistFirst ? kItemArtist : kItemTitle);
  RtPlusTag right = tagOf(text, separator + kSeparator.size(), text.size(),
                          artistFirst ? kItemTitle : kItemArtist);
  if (left.contentType == 0 && right.contentType == 0) return {};
  if (left.length < right.length) std::swap(left, right);
  left.length = std::min(left.length, kMaxTagLength[0]);
  right.length = std::min(right.length, kMaxTagLength[1]);
  return {true, {left, right}};
}

}  // namespace orvane
