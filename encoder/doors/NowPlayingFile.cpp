#include "NowPlayingFile.h"

#include <array>

#include "RtPlusTagger.h"

namespace orvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

std::string_view trimmed(std::string_view text) {
  const auto start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// The field a `key=value` line names; null for a line that is not one of ours.
std::string* fieldOf(std::string_view key, NowPlaying& song, std::string& duration) {
  const std::string name = lowerCase(trimmed(key));
  if (name == "artist") return &song.artist;
  if (name == "title") return &song.title;
  if (name == "album") return &song.album;
  if (name == "category") return &song.category;
  if (name == "text") return &song.text;
  if (name == "duration") return &duration;
  return nullptr;
}

// "[Text]": the section header of the small INI files some playouts write, no part of a song.
bool isSection(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

}  // namespace

NowPlaying songOfLine(std::string_view line) {
  NowPlaying song;
  const RtPlusTags tags = tagRadiotext(line, RtPlusFormat::ArtistTitle);
  for (const RtPlusTag& tag : tags.tags) {
    const auto part =
        line.substr(static_cast<std::size_t>(tag.start), static_cast<std::size_t>(tag.length));
    if (tag.contentType == kItemArtist) song.artist = part;
    if (tag.contentType == kItemTitle) song.title = part;
  }
  if (!tags.itemRunning) song.text = line;
  return song;
}

std::variant<NowPlaying, std::string> readNowPlayingFile(std::string_view bytes) {
  if (bytes.size() > kMaxNowPlayingFileBytes) return std::string("ficheiro grande demais");
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  NowPlaying song;
  std::string duration;
  std::string_view firstLine;
  bool keyed = false;
  while (!bytes.empty()) {
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    bytes.remove_prefix(std::min(bytes.size(), line.size() + 1));
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto equals = line.find('=');
    std::string* field = equals == std::string_view::npos
                             ? nullptr
                             : fieldOf(line.substr(0, equals), song, duration);
    if (field) {
      *field = trimmed(line.substr(equals + 1));
      keyed = true;
    } else if (firstLine.empty() && !isSection(trimmed(line))) {
      firstLine = trimmed(line);
    }
  }
  if (!keyed) {
    if (firstLine.empty()) return std::string("ficheiro vazio");
    return songOfLine(firstLine);
  }
  if (!duration.empty()) {
    song.duration = readDuration(duration);
    if (!song.duration) return std::string("duração inválida");
  }
  return song;
}

}  // namespace orvane
