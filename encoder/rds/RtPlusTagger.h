#pragma once

#include <array>
#include <string_view>

namespace orvane {

// Stations put the song on air as radiotext, "ARTIST - TITLE"; which side is which is the
// station's habit.
enum class RtPlusFormat { ArtistTitle, TitleArtist };

// Content types of the RadioText Plus table that a song line carries.
inline constexpr int kItemTitle = 1;
inline constexpr int kItemArtist = 4;

// A part of the radiotext and what it is. A content type of 0 marks no tag.
struct RtPlusTag {
  int contentType = 0;
  int start = 0;   // first character, from 0
  int length = 0;  // in characters
  bool operator==(const RtPlusTag&) const = default;
};

struct RtPlusTags {
  bool itemRunning = false;  // a song is on air
  std::array<RtPlusTag, 2> tags;
  bool operator==(const RtPlusTags&) const = default;
};

// The first tag may be up to 64 characters long, the second up to 32, and neither may start
// past character 63: what the markers of the tagging group can say.
inline constexpr int kMaxTagStart = 63;
inline constexpr std::array<int, 2> kMaxTagLength = {64, 32};

// The tags of a radiotext in the RDS character set (one byte a letter, so a tag never splits
// one). The line is split at the " - " nearest the artist: the first one for ArtistTitle, the
// last one for TitleArtist, so that a title's own " - Live" stays in the title. The blanks around
// each side are left out of its tag. A line without the separator, or with nothing on either
// side, is no song: item not running, no tags. The longer side takes the first tag, the one that
// can be longer; a side the markers cannot reach whole is tagged as far as they reach.
[[nodiscard]] RtPlusTags tagRadiotext(std::string_view text, RtPlusFormat format);

}  // namespace orvane
