#pragma once

#include <string>
#include <string_view>

namespace orvane {

// Text inside Orvane is 8-bit Windows-1252, as on the workstations that wrote the files and
// that the encoders expect. These conversions are for the edges only: the Qt boundary and the
// Portuguese literals written in this (UTF-8) source code.

// Decodes UTF-8 into Windows-1252. A character that the code page cannot hold, or a malformed
// sequence, becomes '?' and makes `lossless` false.
std::string cp1252FromUtf8(std::string_view utf8, bool* lossless = nullptr);

// Encodes Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) pass through as the C1 controls of the same value, so no byte is lost.
std::string utf8FromCp1252(std::string_view cp1252);

// The Windows-1252 byte for a Unicode code point, or -1 when the code page has none.
int cp1252ByteFor(char32_t codePoint);
// The Unicode code point of a Windows-1252 byte.
char32_t codePointOfCp1252(unsigned char byte);

// A Portuguese text written in this source code, in the console's code page.
inline std::string pt(std::string_view utf8Literal) {
  return cp1252FromUtf8(utf8Literal);
}

}  // namespace orvane
