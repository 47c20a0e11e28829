#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "OnAirField.h"
#include "OnAirState.h"

namespace orvane {

// What a value is, for whoever reads, stores or bounds it.
enum class FieldType {
  Text,            // Windows-1252 bytes, at most `bound` characters on the doors
  Utf8Text,        // UTF-8 as sent, at most `bound` bytes: what the air carries in UTF-8
  Code,            // a number from 0 to `bound`
  Switch,          // on or off
  Identification,  // the PI code, 1 to `bound`, or none: the encoder's own
  Time,            // a day and a time of day
  Frequencies,     // a list fixed when the service starts
  Tags,            // where artist and title stand in the first radiotext
  Command,         // sets other values at once and keeps none of its own
};

// How the playout doors (line keys, HTTP /state) read a value sent to them.
enum class DoorSyntax {
  None,            // no door sets it
  Text,            // UTF-8 or Windows-1252, transliterated, at most `bound` characters
  Utf8Text,        // UTF-8 only, kept as sent, no control characters, at most `bound` bytes
  ConsoleValue,    // as the console writes it after "KEYWORD=", through the console's reader
  Switch,          // 0, 1, 00 or 01
  Identification,  // one to four hexadecimal digits, not 0
  FixedAtStart,    // known, and refused: it is set when the service starts
  Markers,         // RT+ markers as pira's encoders take them: "04,13,08,01,25,14"
  XCommand,        // pira's X-Command: radiotext, scrolling name and tags in one markup line
  Decimal,         // 0 to `bound` in decimal, as the hardware encoders' protocols write codes
  Setting,         // how the doors' desk behaves, not a value on air
  SongField,       // one field of a song that comes a line a field
  Refused,         // known, and refused with the reason: the encoder does not do it
};

// One value a station puts on air, with everything that names, bounds, reads and logs it. Adding
// a value, or keeping them all somewhere, starts from a row here. Names left empty mean that
// door does not know the value.
struct OnAirFieldRow {
  std::string_view title{};  // English, for the documentation and the tests
  FieldType type = FieldType::Text;
  int bound = 0;                      // longest text on the doors, or highest code
  std::string_view consoleKeyword{};  // the console's command that sets it
  std::string_view doorKey{};         // the line door's key and the JSON key of HTTP /state
  std::array<std::string_view, 2> doorAliases{};  // other names the doors take for it
  DoorSyntax doorSyntax = DoorSyntax::None;
  int readAllRank = 0;          // its place in the line door's "??" answer; 0: not listed
  std::string_view logLabel{};  // what starts its line in the log; empty: another row logs it
  std::optional<OnAirField> element{};  // the UECP element a peer encoder is given it in
  // The value as stored, exactly: texts as their Windows-1252 bytes, numbers as the console
  // writes them ("0A", "1", "05+0A1E"), the PI code as four digits or empty for none. Null for
  // what the on-air state does not hold.
  std::string (*value)(const OnAirState&) = nullptr;
  std::string (*describe)(const OnAirState&) = nullptr;  // for the log, after the label
  void (*setText)(OnAirState&, std::string) = nullptr;   // door syntax Text
  void (*setNumber)(OnAirState&, int) = nullptr;         // the other door syntaxes
};

// Every value, in the order the log describes them.
[[nodiscard]] std::span<const OnAirFieldRow> onAirFields();

// The row the doors call `name` (any case, the alias included); none when they know no such key.
[[nodiscard]] const OnAirFieldRow* doorField(std::string_view name);

// The rows the line door's "??" lists, in their order.
[[nodiscard]] std::span<const OnAirFieldRow* const> doorReadAllFields();

}  // namespace orvane
