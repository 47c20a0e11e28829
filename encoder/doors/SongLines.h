#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "DoorKey.h"
#include "NowPlaying.h"
#include "Refusal.h"

namespace orvane {

// A song that comes a line a field (ARTIST=, TITLE=, ALBUM=, DURATION=), as 2wcom-style
// interfaces send it, gathered for each source apart ("linhas 10.0.0.7"), not for each
// connection, since a playout may open one a line. TITLE= ends a song, which goes on air at once
// with the fields gathered before it; a song without a title goes on air after kQuietMicros with
// no field from its source. Fields within kQuietMicros after a song went on air complete it (a
// DURATION= after the TITLE=), and it goes on air again, whole, once its source is quiet: the
// same text again is no new message, only a new end. Times are the caller's, in microseconds.
class SongLines {
 public:
  static constexpr std::int64_t kQuietMicros = 200'000;
  // Sources gathered at once; a new one beyond them takes the place of the quietest.
  static constexpr std::size_t kMaxSources = 16;

  struct Ready {
    std::string source;
    NowPlaying song;
  };

  // Takes `key` (a song field) from `source`; the song when it is ready now, a refusal for a
  // duration that is not one (nothing is taken then).
  [[nodiscard]] std::variant<std::optional<Ready>, Refusal> take(std::string_view source,
                                                                 DoorKey key,
                                                                 std::string_view value,
                                                                 std::int64_t now);
  // The songs whose sources have been quiet long enough, each once.
  [[nodiscard]] std::vector<Ready> due(std::int64_t now);
  // When the next of them is due; none while nothing waits.
  [[nodiscard]] std::optional<std::int64_t> nextDue() const;

 private:
  struct Gathering {
    std::string source;
    NowPlaying song;
    std::int64_t lastField = 0;
    std::optional<std::int64_t> onAirAt;  // when the song last went on air
    bool waiting = false;                 // fields not on air yet
    // Which fields came after the song went on air: a second TITLE= keeps them for its own song.
    struct Given {
      bool artist = false, album = false, duration = false;
    } given;
  };

  Gathering& of(std::string_view source, std::int64_t now);

  std::vector<Gathering> sources_;
};

}  // namespace orvane
