#include "NowPlaying.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "Command.h"
#include "DoorText.h"
#include "WordCut.h"

namespace orvane {
namespace {

// What a field may take before the line is cut: room for a long title, and a bound all the same.
constexpr std::size_t kMaxFieldLength = 256;

struct Placed {
  std::size_t start = 0;
  std::size_t length = 0;
};

RtPlusTag tagOf(int contentType, const Placed& placed, int maxLength, std::size_t textLength) {
  RtPlusTag tag;
  if (placed.length == 0 || placed.start > static_cast<std::size_t>(kMaxTagStart) ||
      placed.start >= textLength) {
    return tag;
  }
  tag.contentType = contentType;
  tag.start = static_cast<int>(placed.start);
  tag.length = static_cast<int>(
      std::min({placed.length, textLength - placed.start, static_cast<std::size_t>(maxLength)}));
  return tag;
}

// As the console's own tagger does: the longer field takes the first tag, which can be longer.
RtPlusTags tagsOf(const Placed& artist, const Placed& title, std::size_t textLength) {
  RtPlusTags tags;
  if (artist.length == 0 || title.length == 0) return tags;
  const bool artistFirst = artist.length >= title.length;
  const Placed& first = artistFirst ? artist : title;
  const Placed& second = artistFirst ? title : artist;
  tags.itemRunning = true;
  tags.tags[0] = tagOf(artistFirst ? kItemArtist : kItemTitle, first, kMaxTagLength[0], textLength);
  tags.tags[1] =
      tagOf(artistFirst ? kItemTitle : kItemArtist, second, kMaxTagLength[1], textLength);
  return tags;
}

// Blanks around a field would end up inside its tag.
std::string_view trimmed(std::string_view text) {
  const auto start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

// A field made fit for the air; what is beyond kMaxFieldLength could never show.
std::optional<std::string> fieldText(std::string_view field, std::string& error, bool& cut) {
  auto text = fitDoorText(field, kMaxFieldLength, CutAt::WordEnd, error);
  if (!text) return std::nullopt;
  cut = cut || text->cut;
  return std::move(text->text);
}

// Whether a field has anything to show once made fit for the air; a field in error counts, so
// that its error is the one reported.
bool shows(std::string_view field) {
  std::string error;
  bool cut = false;
  const auto text = fieldText(trimmed(field), error, cut);
  return !text || !text->empty();
}

std::string radiotextOf(const std::string& line, bool& cut) {
  cut = cut || line.size() > kMaxRadiotextLength;
  return cutAtWord(line, kMaxRadiotextLength);
}

std::variant<OnAirState::SongTags, std::string> textAlone(std::string_view line, bool& cut) {
  std::string error;
  auto text = fieldText(trimmed(line), error, cut);
  if (!text) return error;
  if (text->empty()) return std::string("sem artista, título nem texto");
  return OnAirState::SongTags{radiotextOf(*text, cut), {}};
}

}  // namespace

std::vector<PatternPiece> patternPieces(std::string_view pattern) {
  std::vector<PatternPiece> pieces;
  const auto text = [&pieces](std::string_view literal) {
    if (literal.empty()) return;
    if (!pieces.empty() && pieces.back().field.empty()) {
      // Still one view of the pattern: an unknown brace only split the search.
      pieces.back().text = {pieces.back().text.data(), pieces.back().text.size() + literal.size()};
    } else {
      pieces.push_back({literal, {}});
    }
  };
  while (!pattern.empty()) {
    const auto open = pattern.find('{');
    const auto close = pattern.find('}', open == std::string_view::npos ? 0 : open);
    const std::string_view name = open == std::string_view::npos || close == std::string_view::npos
                                      ? std::string_view{}
                                      : pattern.substr(open + 1, close - open - 1);
    const bool known = name == "artist" || name == "title" || name == "album";
    // An unknown brace is kept as text, and the search goes on after it.
    const std::size_t literalEnd = known                            ? open
                                   : open == std::string_view::npos ? pattern.size()
                                                                    : open + 1;
    text(pattern.substr(0, literalEnd));
    pattern.remove_prefix(literalEnd);
    if (!known) continue;
    pieces.push_back({{}, name});
    pattern.remove_prefix(close - open + 1);
  }
  return pieces;
}

std::string_view fieldOf(const NowPlaying& song, std::string_view field) {
  return field == "artist" ? song.artist : field == "title" ? song.title : song.album;
}

std::variant<OnAirState::SongTags, std::string> renderSong(const NowPlaying& song,
                                                           std::string_view pattern, bool* cutOut) {
  bool ignored = false;
  bool& cut = cutOut ? *cutOut : ignored;
  cut = false;
  const bool artistShows = shows(song.artist), titleShows = shows(song.title);
  if (!artistShows && !titleShows) return textAlone(song.text, cut);
  // The pattern around a field that is missing (an instrumental, an untagged stream) would leave
  // its separator dangling: " - Aluko River". The field that is there shows alone.
  const auto names = [pattern](std::string_view field) {
    return pattern.find(field) != std::string_view::npos;
  };
  if (!artistShows && names("{artist}")) return textAlone(song.title, cut);
  if (!titleShows && names("{title}")) return textAlone(song.artist, cut);
  std::string error;
  std::string out;
  Placed artist, title;
  for (const PatternPiece& piece : patternPieces(pattern)) {
    if (piece.field.empty()) {
      auto literal = fieldText(piece.text, error, cut);
      if (!literal) return error;
      out += *literal;
      continue;
    }
    auto value = fieldText(trimmed(fieldOf(song, piece.field)), error, cut);
    if (!value) return std::string(piece.field) + ": " + error;
    if (piece.field == "artist") artist = {out.size(), value->size()};
    if (piece.field == "title") title = {out.size(), value->size()};
    out += *value;
  }
  out = radiotextOf(out, cut);
  return OnAirState::SongTags{out, tagsOf(artist, title, out.size())};
}

std::optional<std::chrono::milliseconds> readDuration(std::string_view text) {
  double seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
      !std::isfinite(seconds) || seconds <= 0 ||
      seconds > std::chrono::duration<double>(kMaxSongDuration).count()) {
    return std::nullopt;
  }
  return std::chrono::milliseconds(static_cast<std::int64_t>(std::llround(seconds * 1000)));
}

}  // namespace orvane
