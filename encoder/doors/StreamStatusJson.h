#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "NowPlaying.h"

namespace orvane {

// What a stream server's status says is playing. None when it has no song to tell (no source
// on line, an empty title): the air keeps what it has. The error (UTF-8) is for a body that is
// not the server's status at all. Titles have their HTML character references decoded. Pure;
// any bytes are safe.
using StreamStatus = std::variant<std::optional<NowPlaying>, std::string>;

// Icecast's /status-json.xsl: icestats.source is one object for one mount, a list for several,
// absent for none. `mount` ("/live") chooses the source whose listen URL ends in it, empty the
// first; a chosen mount that is not on line is an error, so that a mistyped one is reported.
// `title` is usually "Artist - Title", split as a song line; `artist`, when the stream's tags
// have one, makes the split exact.
[[nodiscard]] StreamStatus readIcecastStatus(std::string_view body, std::string_view mount);

// Shoutcast v2's /stats?json=1: `songtitle`, "Artist - Title"; none while streamstatus is 0.
[[nodiscard]] StreamStatus readShoutcastStats(std::string_view body);

}  // namespace orvane
