#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

// Reads an operator's unsigned decimal number the way the console always has: blanks and tabs
// around it, an optional '+', saturation at 4294967295 instead of wrapping. A zero counts only
// when the text really starts with the digit 0, so that a text without digits is refused.
// Empty when the text is not such a number.
std::optional<std::uint32_t> parseUnsigned(std::string_view text);

}  // namespace orvane
