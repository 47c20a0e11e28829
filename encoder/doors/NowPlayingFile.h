#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "NowPlaying.h"

namespace orvane {

// The largest now-playing file read: a song's fields take a few hundred bytes, and anything far
// beyond is not a now-playing file.
inline constexpr std::size_t kMaxNowPlayingFileBytes = 16 * 1024;

// A now-playing file as playouts write it: either `key=value` lines (artist=, title=, album=,
// duration=, category=, text=, in any case; others are ignored, as playouts add their own), or
// one line "ARTIST - TITLE", split by the radiotext's own song rule; a line that is no song is
// shown as it is. A line wholly in brackets ("[Text]") is an INI section and is skipped. A
// byte-order mark and CRLF line ends are taken. Pure; any bytes are safe. Fails (UTF-8)
// on an empty or over-long file, or a duration that is not one.
[[nodiscard]] std::variant<NowPlaying, std::string> readNowPlayingFile(std::string_view bytes);

// One line "ARTIST - TITLE" as a song, split by the radiotext's own song rule; a line that is no
// song is its text. What the file door and the stream servers' titles have in common.
[[nodiscard]] NowPlaying songOfLine(std::string_view line);

}  // namespace orvane
