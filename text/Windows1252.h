#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The console speaks 8-bit Windows-1252 on the wire; the server's terminal speaks UTF-8. These two
// conversions are the only places where the server crosses between them. Both rest on the
// console's code-page table (Cp1252.h), so the two ends of the wire cannot disagree on a byte.

// Encodes Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become U+FFFD: passed through as C1 controls they could steer a terminal.
std::string utf8FromWindows1252(std::string_view bytes);

// Encodes the server's own UTF-8 literals (the Portuguese replies) for the wire. A character the
// code page cannot hold, or a malformed sequence, becomes '?'.
std::string windows1252FromUtf8(std::string_view utf8);

}  // namespace orvane
