#pragma once

#include <filesystem>

#include "ConsoleState.h"
#include "ConsoleWindow.h"
#include "LineReader.h"

namespace orvane {

// Applies the settings file DEF.INI of `folder` over the start-up values: every effective line,
// in file order, the moment it is read. The address and the two list selections go to the window
// at once; the rest lands in `state` for the record-to-window transfer that follows. No file, one
// that cannot be read, or anything but a regular file changes nothing and says nothing. The file is
// never written.
//
// The format: lines of KEY=VALUE that count only when they hold the tag "[CLIENT]" themselves;
// see docs/files.md.
void readSettings(const std::filesystem::path& folder, ConsoleState& state, ConsoleWindow& window);

// The same on lines from any source.
void readSettings(LineReader& lines, ConsoleState& state, ConsoleWindow& window);

}  // namespace orvane
