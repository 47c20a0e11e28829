#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "OnAirState.h"

namespace orvane {

// A song as a playout announces it. Fields are as received (UTF-8 or Windows-1252); `text`, when
// given alone, is the whole line to show. `category` is what the playout files it under (a
// playlist, "jingle", "spot"), which only the skip filter reads.
struct NowPlaying {
  std::string artist;
  std::string title;
  std::string album;
  std::string category;
  std::string text;
  std::optional<std::chrono::milliseconds> duration;
};

// The longest a playout may say a song lasts: a whole day is already a broken clock.
inline constexpr std::chrono::hours kMaxSongDuration{24};

// A pattern's pieces in order: text as it stands, and the fields it names ({artist}, {title},
// {album}); a brace that names none of them is text.
struct PatternPiece {
  std::string_view text;   // when `field` is empty
  std::string_view field;  // "artist", "title" or "album"
};
[[nodiscard]] std::vector<PatternPiece> patternPieces(std::string_view pattern);
// The song's value of a field a pattern names.
[[nodiscard]] std::string_view fieldOf(const NowPlaying& song, std::string_view field);

// The first radiotext a song gives through `pattern` ("{artist} - {title}", with {album} too),
// and, when artist and title are both there, the RadioText Plus tags that mark them: taken from
// where the fields landed, never from splitting the line. A line longer than radiotext carries
// is cut where a word ends, and a tag is cut with it; `cut`, when given, says so. When the
// pattern names artist or title and that one is missing, the other shows alone, untagged. Fails
// (UTF-8) when a field holds control bytes or there is nothing to show.
[[nodiscard]] std::variant<OnAirState::SongTags, std::string> renderSong(const NowPlaying& song,
                                                                         std::string_view pattern,
                                                                         bool* cut = nullptr);

// A duration as playouts give it: seconds, perhaps with a fraction ("215", "215.4"). None when
// it is not one, or is not above zero and within kMaxSongDuration.
[[nodiscard]] std::optional<std::chrono::milliseconds> readDuration(std::string_view text);

}  // namespace orvane
