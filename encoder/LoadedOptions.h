#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ConfigFile.h"
#include "ScheduleFile.h"
#include "ServerOptions.h"

namespace orvane {

// The options in force and what they came from: the command line, the configuration file over
// which it wins, and the schedule of either.
struct Loaded {
  ServerOptions options;
  std::vector<std::string> arguments;  // the file's and the command line's, as one command line
  std::vector<ScheduleEntry> schedule;
  std::optional<ConfigFile> file;
};

// Why the options cannot be taken: each line, and whether the usage helps.
struct LoadRefusal {
  std::vector<std::string> lines;
  bool usage = false;
};

// The options of a command line as they stand, without the file it may name.
std::variant<Loaded, LoadRefusal> parseArguments(std::vector<std::string> arguments);

// Read whole, file and schedule, before anything opens, at the start and at every reload alike.
std::variant<Loaded, LoadRefusal> loadOptions(const std::vector<std::string_view>& commandLine);

}  // namespace orvane
