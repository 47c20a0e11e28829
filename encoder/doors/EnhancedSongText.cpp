#include "EnhancedSongText.h"

#include "DoorText.h"
#include "RdsLimits.h"
#include "Windows1252.h"

namespace orvane {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string utf8Field(std::string_view bytes) {
  std::string text = isUtf8(bytes) ? std::string(bytes) : utf8FromWindows1252(bytes);
  for (char& c : text) {
    if ((c >= 0 && c < 0x20) || c == 0x7F) c = ' ';
  }
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool continuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Within the bound, at the last blank if there is one, else at the last whole character.
std::string fitted(std::string text) {
  if (text.size() <= kEnhancedRadiotextLength) return text;
  const auto blank = text.rfind(' ', kEnhancedRadiotextLength);
  std::size_t end = kEnhancedRadiotextLength;
  if (blank != std::string::npos && blank > 0) {
    end = blank;
  } else {
    while (end > 0 && continuationByte(text[end])) --end;
  }
  text.resize(end);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string substituted(const NowPlaying& song, std::string_view pattern) {
  std::string out;
  for (const PatternPiece& piece : patternPieces(pattern)) {
    // UTF-8 text: the option is refused otherwise.
    out += piece.field.empty() ? std::string(piece.text) : utf8Field(fieldOf(song, piece.field));
  }
  return out;
}

}  // namespace

std::optional<std::string> renderEnhancedSong(const NowPlaying& song, std::string_view pattern) {
  const std::string artist = utf8Field(song.artist), title = utf8Field(song.title);
  std::string text;
  if (artist.empty() && title.empty()) {
    text = utf8Field(song.text);
  } else if (artist.empty() && pattern.find("{artist}") != std::string_view::npos) {
    text = title;
  } else if (title.empty() && pattern.find("{title}") != std::string_view::npos) {
    text = artist;
  } else {
    text = utf8Field(substituted(song, pattern));
  }
  if (text.empty()) return std::nullopt;
  return fitted(std::move(text));
}

}  // namespace orvane
