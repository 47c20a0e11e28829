#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// What the program was asked to do on its command line.
struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  // The station folder: where DEF.INI and RDSTXT.TXT are; none means the current folder.
  std::optional<std::filesystem::path> station;
  std::string error;  // for Action::Error, one line
};

// Reads the arguments after the program's name, passing over the toolkit's own options.
// --help and --version win over anything else on the line.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// What --help prints.
std::string usageText();

}  // namespace orvane
