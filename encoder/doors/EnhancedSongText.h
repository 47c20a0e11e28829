#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "NowPlaying.h"

namespace orvane {

// The enhanced radiotext of a song through `pattern` (`--ert-template`, "{artist} - {title}"):
// in UTF-8, every script as the playout sent it, since eRT carries what the radiotext's own
// character set cannot (a field that is not UTF-8 is read as Windows-1252, as the doors read
// it). As with the radiotext, a pattern that names a missing artist or title shows the other
// alone; control bytes become blanks; a text beyond eRT's 128 bytes is cut where a word ends, and
// never inside a character. None when there is nothing to show.
[[nodiscard]] std::optional<std::string> renderEnhancedSong(const NowPlaying& song,
                                                            std::string_view pattern);

}  // namespace orvane
