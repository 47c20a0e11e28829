#pragma once

#include <optional>
#include <string_view>

#include "ConsoleState.h"
#include "ConsoleWindow.h"

namespace orvane {

// The key words of the settings file, in the order in which a key part is tested for them.
enum class SettingKey {
  kSocket,
  kSetPty,
  kSetDi,
  kSetBms,
  kSetBta,
  kSetBtp,
  kSetGr4,
  kSetGr1,
  kSetPsn,
  kSetTxt1,
  kSetTxt2,
};

struct SettingLine {
  SettingKey key = SettingKey::kSocket;
  std::string_view value;  // after the first "=", line end trimmed, leading blanks kept
};

// One piece of the settings file as the reader gets it. Nothing when the line does not count: a
// comment (";" as its very first byte), a line without "[CLIENT]" (upper case, anywhere in the
// trimmed line), without "=" or without a key word in the part before the first "=". The value
// views `piece`.
std::optional<SettingLine> parseSettingLine(std::string_view piece);

// Gives one setting its effect at once, so that the last effective line of a key wins. A number
// that cannot be read leaves everything the line would have set as it was.
void applySetting(const SettingLine& line, ConsoleState& state, ConsoleWindow& window);

}  // namespace orvane
