#include "Cp1252.h"

#include <array>
#include <cstdint>

namespace orvane {
namespace {

// Code points of the bytes 0x80 to 0x9F; the undefined ones map to the C1 control of the same
// value so that a round trip keeps every byte.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

constexpr unsigned char kFirstNonAscii = 0x80;
constexpr char32_t kFirstHighControl = 0x80;
constexpr char32_t kLastHighControl = 0x9F;
constexpr char32_t kLastLatin1 = 0xFF;
constexpr char kReplacement = '?';

// Reads one UTF-8 sequence at `pos`; returns the code point or U+FFFD for a malformed one, and
// advances `pos` past what it consumed (at least one byte).
char32_t decodeOne(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t value = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    value = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    value = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    value = lead & 0x07;
  } else {
    return 0xFFFD;
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size()) return 0xFFFD;
    const auto next = static_cast<unsigned char>(text[pos]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;
    value = (value << 6) | (next & 0x3F);
    ++pos;
  }
  return value;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

int cp1252ByteFor(char32_t codePoint) {
  if (codePoint < kFirstHighControl || (codePoint > kLastHighControl && codePoint <= kLastLatin1)) {
    return static_cast<int>(codePoint);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == codePoint) return static_cast<int>(kFirstHighControl + i);
  }
  return -1;
}

char32_t codePointOfCp1252(unsigned char byte) {
  if (byte >= kFirstHighControl && byte <= kLastHighControl) {
    return kHighControls[byte - kFirstHighControl];
  }
  return byte;
}

std::string cp1252FromUtf8(std::string_view utf8, bool* lossless) {
  std::string out;
  out.reserve(utf8.size());
  bool allKept = true;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const int byte = cp1252ByteFor(decodeOne(utf8, pos));
    if (byte < 0) {
      allKept = false;
      out += kReplacement;
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (lossless != nullptr) *lossless = allKept;
  return out;
}

// Runs of ASCII, most of any text, go across whole: the air log converts every change it
// describes.
std::string utf8FromCp1252(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size() * 2);
  for (std::size_t i = 0; i < cp1252.size();) {
    std::size_t ascii = i;
    while (ascii < cp1252.size() && static_cast<unsigned char>(cp1252[ascii]) < kFirstNonAscii)
      ++ascii;
    out.append(cp1252, i, ascii - i);
    if (ascii == cp1252.size()) break;
    appendUtf8(out, codePointOfCp1252(static_cast<unsigned char>(cp1252[ascii])));
    i = ascii + 1;
  }
  return out;
}

}  // namespace orvane
