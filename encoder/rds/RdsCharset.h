#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// The console's texts are Windows-1252; receivers read the RDS basic character set (IEC 62106,
// code table G0), which agrees with ASCII for most printable characters but puts its accented
// letters elsewhere. Every character is translated one for one, so text lengths never change:
// a letter the set has goes to its own code, one it lacks to a look-alike ("\u2019" to "'"), and
// what has neither to '?'. Control bytes also become '?', as RDS gives them meanings of its own.
[[nodiscard]] std::uint8_t rdsCharacter(char windows1252);

[[nodiscard]] std::string rdsText(std::string_view windows1252);

}  // namespace orvane
