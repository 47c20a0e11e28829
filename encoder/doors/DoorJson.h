#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "DoorKey.h"
#include "NowPlaying.h"

namespace orvane {

// Nesting deeper than this is refused before the document is parsed: no playout sends more than
// four levels, and a parser walking a million brackets deep is an attack on the stack.
inline constexpr int kMaxJsonDepth = 16;

// Whether a document's brackets, outside strings, nest at most kMaxJsonDepth deep; counted
// without parsing, so that it is safe before parsing.
[[nodiscard]] bool shallowEnoughJson(std::string_view text);

// AzuraCast's web hook ("Generic Web Hook"): now_playing.song.{artist,title,album,text}, the
// duration in now_playing.duration (or song.duration), the playlist as the category; null fields
// are empty ones. None when now_playing is null: the station went off line, and the air keeps
// what it has. Pure; any bytes are safe. The error is UTF-8.
[[nodiscard]] std::variant<std::optional<NowPlaying>, std::string> readAzuraCastJson(
    std::string_view body);

// A song as one JSON object, as Liquidsoap's scripts post it: {"artist", "title", "album",
// "duration", "text", "category"}, each optional, null as empty; a duration in seconds, as a
// number or a text, 0 for none.
[[nodiscard]] std::variant<NowPlaying, std::string> readNowPlayingJson(std::string_view body);

// A JSON object of the line door's keys: {"TEXT": "...", "PTY": "0A", "TA": 1}. Strings,
// whole numbers and booleans are taken as the line door would read their text.
[[nodiscard]] std::variant<std::vector<std::pair<DoorKey, std::string>>, Refusal> readStateJson(
    std::string_view body);

// The values on air as one JSON object of the same keys (UTF-8).
[[nodiscard]] std::string stateJson(const OnAirState& state);

}  // namespace orvane
