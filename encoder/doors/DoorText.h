#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Text as playout systems send it, made fit for the air: UTF-8 when the bytes are valid UTF-8,
// Windows-1252 otherwise (older playouts on Windows write their code page). A character the RDS
// character set carries is kept as it is; a run of characters it lacks is transliterated to
// Latin letters ("Μπλε" to "Mple"), and what even that cannot give (an emoji, a symbol) is
// dropped, with a blank it would leave doubled. The result is in
// Windows-1252, the on-air state's own encoding, at most `maxLength` characters.
//
// Refused, with `error` filled in (UTF-8, Portuguese): control bytes, NULs included, since they
// have no glyph and would drive a terminal reading the log; and a text longer than `maxLength`
// once converted (what an operator configures is better refused than cut unseen).
[[nodiscard]] std::optional<std::string> doorText(std::string_view bytes, std::size_t maxLength,
                                                  std::string& error);

// A playout's value goes on air even when it is too long for its field, since refusing it would
// leave the previous song there: a text is cut where a word ends (cutAtWord), a name of one frame
// at its length. `cut` says whether anything was left out. Refused only for control bytes.
struct FittedText {
  std::string text;  // Windows-1252
  bool cut = false;
};
enum class CutAt { WordEnd, Length };
[[nodiscard]] std::optional<FittedText> fitDoorText(std::string_view bytes, std::size_t maxLength,
                                                    CutAt cutAt, std::string& error);

// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
[[nodiscard]] bool isUtf8(std::string_view bytes);

}  // namespace orvane
