#pragma once

#include <string>

namespace orvane {

// Why a line, a key or a value did not go on air. Each door says it in its own dialect (the
// console's "ERRO: ...", the line door's "! ..." or "- ...", an HTTP status with the text as its
// body), so that no door has to read another's wording to learn what happened.
struct Refusal {
  enum class Kind {
    UnknownKey,    // no such command or key
    InvalidValue,  // the key is known, its value or the line's shape is not
    NotOnAir,      // a value this door cannot change while the service runs
    Busy,          // no room for one more client
  };
  Kind kind = Kind::InvalidValue;
  std::string text;  // UTF-8, Portuguese; quotes nothing but printable ASCII of a peer's bytes

  bool operator==(const Refusal&) const = default;
};

}  // namespace orvane
