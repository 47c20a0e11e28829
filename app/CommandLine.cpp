#include "CommandLine.h"

#include <algorithm>

namespace orvane {
namespace {

constexpr std::string_view kStation = "--station";

bool isAny(const std::string& argument, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), argument) != names.end();
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    if (isAny(argument, {"--help", "-h"})) return {CommandLine::Action::Help, {}, {}};
    if (argument == "--version") return {CommandLine::Action::Version, {}, {}};
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == kStation && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
      line.station = arguments[++i];
    } else if (argument.starts_with(std::string(kStation) + "=") &&
               argument.size() > kStation.size() + 1) {
      line.station = argument.substr(kStation.size() + 1);
    } else {
      const bool folderMissing = argument == kStation || argument == std::string(kStation) + "=";
      return {CommandLine::Action::Error,
              {},
              folderMissing ? "--station needs a folder" : "unknown argument: " + argument};
    }
  }
  return line;
}

std::string usageText() {
  return "Usage: orvane [--station DIR]\n"
         "The operator console of an RDS encoder.\n"
         "\n"
         "  --station DIR  work in DIR: read DEF.INI and keep the radiotext list RDSTXT.TXT\n"
         "                 there. A folder that does not exist yet is created with the\n"
         "                 example files; an existing one is used as it is. Without this\n"
         "                 option the console works in the current folder.\n"
         "  --help         print this help and exit\n"
         "  --version      print the version and exit\n";
}

}  // namespace orvane
