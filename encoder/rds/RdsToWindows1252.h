#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// The way back from the RDS character set, for texts that peers send in it: each code becomes
// the Windows-1252 character that the encoder itself sends as that code, so that what goes out
// comes back as it was typed. Codes no Windows-1252 character is sent as (Greek letters, the
// set's own symbols) become '?', and control codes a blank, never a raw byte.
[[nodiscard]] char windows1252FromRds(std::uint8_t code);

[[nodiscard]] std::string windows1252FromRdsText(std::string_view rds);

}  // namespace orvane
