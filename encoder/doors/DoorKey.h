#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "OnAirField.h"
#include "OnAirState.h"

namespace orvane {

// The values playout systems set, by the names broadcast encoders commonly take for them.
enum class DoorKey { Ps, Dps, Text, Pty, Ptyn, Ta, Tp, Ms, Di, Pi, Af, Ct };

inline constexpr std::array<DoorKey, 12> kDoorKeys = {
    DoorKey::Ps, DoorKey::Dps, DoorKey::Text, DoorKey::Pty, DoorKey::Ptyn, DoorKey::Ta,
    DoorKey::Tp, DoorKey::Ms,  DoorKey::Di,   DoorKey::Pi,  DoorKey::Af,   DoorKey::Ct};

[[nodiscard]] std::string_view doorKeyName(DoorKey key);
// Any case; "RT" is taken for "TEXT".
[[nodiscard]] std::optional<DoorKey> doorKeyNamed(std::string_view name);

// One line of the line door, without its line end.
struct DoorLine {
  enum class Kind { Set, Read, ReadAll, Blank } kind = Kind::Blank;
  DoorKey key = DoorKey::Text;
  std::string value;  // Set: the bytes after '=', as sent
};

// Reads "KEY=value", "?KEY", "??" or a blank line. Pure; any bytes are safe. The error is UTF-8
// and quotes nothing but printable ASCII of the line.
[[nodiscard]] std::variant<DoorLine, std::string> parseDoorLine(std::string_view line);

// Gives `key` the door's `value` in `next` and marks the field in `fields`. Keys the console
// also has (PTY, TA, TP, MS, DI) read their value as the console writes it, in hexadecimal, so
// that "PTY=0A" means the same on both. An error (UTF-8) leaves the state as a whole unusable:
// callers apply to a copy and keep it only when every value was good.
[[nodiscard]] std::optional<std::string> applyDoorValue(DoorKey key, std::string_view value,
                                                        OnAirState& next, AssignedFields& fields);

// The value of `key` on air, as the door would write it, in UTF-8.
[[nodiscard]] std::string readDoorValue(DoorKey key, const OnAirState& state);

}  // namespace orvane
