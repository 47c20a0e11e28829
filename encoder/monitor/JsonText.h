#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// `text` as a JSON string, quotes included. Texts come from the air and from peers, so anything
// that is not valid UTF-8 becomes U+FFFD rather than a byte that breaks the reader's parser, and
// every control character is escaped.
[[nodiscard]] std::string jsonString(std::string_view text);

// "2026-12-07T10:40:11Z": UTC, to the second, as scripts parse it everywhere.
[[nodiscard]] std::string isoTime(std::int64_t unixMicros);

}  // namespace orvane
