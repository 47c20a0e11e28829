#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "OnAirField.h"
#include "OnAirFields.h"
#include "OnAirState.h"
#include "Refusal.h"

namespace orvane {

// A value playout systems set, by the name broadcast encoders commonly take for it: the row of
// the fields' table that has that door name.
using DoorKey = const OnAirFieldRow*;

[[nodiscard]] std::string_view doorKeyName(DoorKey key);
// Any case; "RT" is taken for "TEXT", "AF1" and the like for "AF". Null for a name the doors do
// not know.
[[nodiscard]] DoorKey doorKeyNamed(std::string_view name);

// One line of the line door, without its line end.
struct DoorLine {
  enum class Kind { Set, Read, ReadAll, Blank } kind = Kind::Blank;
  DoorKey key = nullptr;
  std::string value;  // Set: the bytes after '=', as sent
};

// Reads "KEY=value", "?KEY", "??" or a blank line. Pure; any bytes are safe. The refusal quotes
// nothing but printable ASCII of the line.
[[nodiscard]] std::variant<DoorLine, Refusal> parseDoorLine(std::string_view line);

// Gives `key` the door's `value` in `next` and marks the field in `fields`. Keys the console
// also has (TA, TP, MS, DI) read their value as the console writes it, in hexadecimal; PTY and
// DPSS are decimal, as the hardware encoders' protocols and the playouts written for them send
// them ("PTY=10" is Pop Music, the console's PTY=0A). A text too long for its field is cut to fit
// (see fitDoorText), and `cut`, when given, says so. A refusal leaves the state as a whole
// unusable: callers apply to a copy and keep it only when every value was good.
[[nodiscard]] std::optional<Refusal> applyDoorValue(DoorKey key, std::string_view value,
                                                    OnAirState& next, AssignedFields& fields,
                                                    bool* cut = nullptr);

// The value of `key` on air, as the door would write it, in UTF-8.
[[nodiscard]] std::string readDoorValue(DoorKey key, const OnAirState& state);

}  // namespace orvane
