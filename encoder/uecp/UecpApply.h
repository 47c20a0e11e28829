#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "OnAirField.h"
#include "OnAirState.h"
#include "UecpElement.h"

namespace orvane {

// Applies one message element from a UECP client to `state`, with the bounds the console's
// commands have, and marks the fields it set in `fields`. Anything but Ok leaves both as they
// were. Texts come in the RDS character set and are kept in Windows-1252 like the console's.
//
// Radiotext: the element's buffer of messages is the encoder's two lines. A message that replaces
// the buffer becomes the first line and clears the second; one added to it becomes the second,
// or, when both are taken, pushes the first out. The element's A/B toggle and number of
// transmissions need nothing here: the software encoder changes the flag at every new text and
// every turn, and keeps each on for as long as it does its own.
[[nodiscard]] UecpAnswer applyUecpElement(std::string_view element, OnAirState& state,
                                          AssignedFields& fields);

// The text a valid PS or RT element puts on air, still in the RDS character set; none for other
// elements and for an RT that empties the buffer.
[[nodiscard]] std::optional<std::string> uecpElementText(std::string_view element);

}  // namespace orvane
