#include "SongLines.h"

#include <algorithm>

#include "PrintableQuote.h"

namespace orvane {
namespace {

// A duration as the line gives it; 0 or nothing is none, as on the HTTP door.
std::variant<std::optional<std::chrono::milliseconds>, Refusal> durationOf(std::string_view value) {
  if (value.empty() || value == "0") return std::optional<std::chrono::milliseconds>{};
  if (auto duration = readDuration(value)) return duration;
  return Refusal{Refusal::Kind::InvalidValue,
                 "DURATION=" + printableQuote(value) + ": esperados segundos, até 24 h"};
}

}  // namespace

SongLines::Gathering& SongLines::of(std::string_view source, std::int64_t now) {
  auto found = std::ranges::find(sources_, source, &Gathering::source);
  if (found == sources_.end()) {
    if (sources_.size() >= kMaxSources) {
      sources_.erase(std::ranges::min_element(sources_, {}, &Gathering::lastField));
    }
    sources_.push_back({std::string(source), {}, now, {}, false, {}});
    return sources_.back();
  }
  // A song on air, quiet since, is done: what comes now is the next one.
  if (!found->waiting && found->onAirAt && now - found->lastField >= kQuietMicros) {
    *found = {std::string(source), {}, now, {}, false, {}};
  }
  return *found;
}

std::variant<std::optional<SongLines::Ready>, Refusal> SongLines::take(std::string_view source,
                                                                       DoorKey key,
                                                                       std::string_view value,
                                                                       std::int64_t now) {
  const std::string_view name = doorKeyName(key);
  std::optional<std::chrono::milliseconds> duration;
  if (name == "DURATION") {
    auto read = durationOf(value);
    if (auto* refusal = std::get_if<Refusal>(&read)) return std::move(*refusal);
    duration = std::get<0>(read);
  }
  Gathering& gathering = of(source, now);
  NowPlaying& song = gathering.song;
  Gathering::Given& given = gathering.given;
  // A second title is another song, even within the quiet, with what came after the first.
  if (name == "TITLE" && gathering.onAirAt) {
    if (!given.artist) song.artist.clear();
    if (!given.album) song.album.clear();
    if (!given.duration) song.duration.reset();
  }
  gathering.lastField = now;
  if (name == "ARTIST") {
    song.artist = value;
    given.artist = true;
  } else if (name == "ALBUM") {
    song.album = value;
    given.album = true;
  } else if (name == "DURATION") {
    song.duration = duration;
    given.duration = true;
  } else {
    song.title = value;
  }
  if (name != "TITLE") {
    gathering.waiting = true;
    return std::optional<Ready>{};
  }
  gathering.waiting = false;
  gathering.onAirAt = now;
  given = {};
  return std::optional<Ready>{Ready{gathering.source, song}};
}

std::vector<SongLines::Ready> SongLines::due(std::int64_t now) {
  std::vector<Ready> ready;
  for (Gathering& gathering : sources_) {
    if (!gathering.waiting || now - gathering.lastField < kQuietMicros) continue;
    gathering.waiting = false;
    gathering.onAirAt = now;
    gathering.given = {};
    ready.push_back({gathering.source, gathering.song});
  }
  std::erase_if(sources_, [now](const Gathering& gathering) {
    return !gathering.waiting && now - gathering.lastField >= kQuietMicros;
  });
  return ready;
}

std::optional<std::int64_t> SongLines::nextDue() const {
  std::optional<std::int64_t> next;
  for (const Gathering& gathering : sources_) {
    if (!gathering.waiting) continue;
    const std::int64_t at = gathering.lastField + kQuietMicros;
    next = next ? std::min(*next, at) : at;
  }
  return next;
}

}  // namespace orvane
