#include "SettingsReader.h"

#include "FileHandle.h"
#include "FileNames.h"
#include "SettingsLine.h"

namespace orvane {

void readSettings(const std::filesystem::path& folder, ConsoleState& state, ConsoleWindow& window) {
  const FileHandle file = openForReading(resolveInFolder(folder, kSettingsFileName));
  if (!file) return;
  LineReader lines(file.get());
  readSettings(lines, state, window);
}

void readSettings(LineReader& lines, ConsoleState& state, ConsoleWindow& window) {
  while (const auto piece = lines.next()) {
    if (const auto line = parseSettingLine(*piece)) applySetting(*line, state, window);
  }
}

}  // namespace orvane
