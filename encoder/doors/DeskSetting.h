#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "DoorKey.h"
#include "Refusal.h"

namespace orvane {

// A change of how the doors' desk behaves, as the hardware encoders' protocols set it on a line:
// RTDEFAULT= the text a playout's text returns to, RTTIMER= after how many minutes, TATIME= how
// long a traffic announcement may stay on.
struct DeskSetting {
  enum class Kind { DefaultText, TextTimeout, TrafficBound } kind = Kind::DefaultText;
  std::optional<std::string> text;  // DefaultText, Windows-1252; none: no default text
  bool cut = false;                 // DefaultText: cut to fit the radiotext
  // TextTimeout: 0 is never, as on the boxes; TrafficBound: never 0, since a TA without a bound
  // would hold every listener's radio on this station for as long as a playout forgets it.
  std::chrono::minutes minutes{0};
};

// Pure; `key` is one of the three, and the refusal names it.
[[nodiscard]] std::variant<DeskSetting, Refusal> readDeskSetting(DoorKey key,
                                                                 std::string_view value);

}  // namespace orvane
