#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "OnAirState.h"

namespace orvane {

// What the encoder keeps of its air across a restart: the on-air values, and the two deadlines
// that end some of them. Deadlines are wall-clock times, so that a song that ended while the
// encoder was down, or a traffic announcement whose bound ran out, is not brought back.
struct KeptAir {
  OnAirState air;
  std::optional<std::int64_t> songEndsUnixMicros;     // the first radiotext is a playout's
  std::optional<std::int64_t> trafficEndsUnixMicros;  // TA is on until then
  // Which console line the radiotext rotation was on, and its A/B flag, so that a receiver does
  // not clear a text that did not change; none before the first radiotext group.
  struct Rotation {
    int line = 0;
    bool textB = false;
    bool operator==(const Rotation&) const = default;
  };
  std::optional<Rotation> rotation;

  bool operator==(const KeptAir&) const = default;
};

// Where the air is kept and how that goes, for the status page.
struct KeptAirHealth {
  std::string path;   // empty: no state file (--no-state)
  bool kept = false;  // the last write succeeded, or none was needed yet
  std::optional<std::int64_t> lastWrittenUnixMicros;
  std::uint64_t writes = 0;
  std::string problem;  // Portuguese: why the air is not kept; empty when it is
};

// The file's text: one JSON object naming its format and version, the values, and a check over
// them that a torn or edited file fails.
[[nodiscard]] std::string keptAirText(const KeptAir& kept);

struct KeptAirRefusal {
  std::string reason;  // Portuguese, for the log
};

// Reads a file written by keptAirText, refusing whatever is not one whole, checked, known
// version with every value in range: such a file must never reach the air.
[[nodiscard]] std::variant<KeptAir, KeptAirRefusal> readKeptAir(std::string_view text);

}  // namespace orvane
