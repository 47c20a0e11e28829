#include "WordCut.h"

#include <algorithm>

namespace orvane {
namespace {

// A letter or a digit, in Windows-1252: what the upper half holds is letters, bar a few signs.
bool showsAWord(char byte) {
  const auto code = static_cast<unsigned char>(byte);
  return code >= 0xC0 || (code >= '0' && code <= '9') ||
         ((code | 0x20) >= 'a' && (code | 0x20) <= 'z');
}

}  // namespace

std::string cutAtWord(std::string_view text, std::size_t maxLength) {
  if (text.size() <= maxLength) return std::string(text);
  std::size_t end = maxLength;
  if (text[maxLength] != ' ') {
    const std::size_t blank = maxLength == 0 ? std::string_view::npos : text.rfind(' ', maxLength);
    const std::size_t wordStart = text.find_first_not_of(' ');
    if (blank != std::string_view::npos && blank > wordStart) end = blank;
  }
  // A separator left at the end ("Ana Moura -") reads as a title gone missing: it goes too,
  // unless nothing else is left.
  std::string_view kept = text.substr(0, end);
  for (;;) {
    const std::size_t last = kept.find_last_not_of(' ');
    if (last == std::string_view::npos) return {};
    kept = kept.substr(0, last + 1);
    const std::size_t blank = kept.rfind(' ');
    const std::string_view word = kept.substr(blank == std::string_view::npos ? 0 : blank + 1);
    if (blank == std::string_view::npos || std::ranges::any_of(word, showsAWord)) break;
    kept = kept.substr(0, blank);
  }
  return std::string(kept);
}

}  // namespace orvane
