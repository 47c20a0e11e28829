#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "GroupScheduler.h"
#include "OnAirState.h"

namespace orvane {

// What the encoder keeps of its air across a restart: the on-air values, and the two deadlines
// that end some of them. Deadlines are wall-clock times, so that a song that ended while the
// encoder was down, or a traffic announcement whose bound ran out, is not brought back.
struct KeptAir {
  OnAirState air;
  std::optional<std::int64_t> songEndsUnixMicros;     // the first radiotext is a playout's
  std::optional<std::int64_t> trafficEndsUnixMicros;  // TA is on until then
  // Which console line the radiotext rotation was on with its A/B flag, and the song item the
  // tags were on, so that a receiver does not clear a text or a song that did not change.
  GroupScheduler::Continuity continuity;
  // A schedule entry running, with what it gives back when it ends; its door reads it. Null
  // when none runs, and in a file from before the schedule was kept.
  nlohmann::json agenda;

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

// A text of the air (Windows-1252 bytes) as a file's JSON string holds it, and back; none when
// it is not one such text (a code point past one byte, a control) or is longer than `maxLength`.
[[nodiscard]] nlohmann::json keptText(std::string_view bytes);
[[nodiscard]] std::optional<std::string> keptTextBytes(const nlohmann::json& text,
                                                       std::size_t maxLength);

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
