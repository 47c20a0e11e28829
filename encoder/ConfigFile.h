#pragma once

#include <toml++/toml.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "ScheduleEntry.h"

namespace orvane {

// A station's configuration file, read whole and checked: every key is a long option of the
// service without its dashes, with its values as the command line would give them.
struct ConfigFile {
  struct Setting {
    std::string key;                  // "port"
    std::vector<std::string> values;  // one for an option, none for a flag, a list if repeatable
  };

  std::string path;
  std::vector<Setting> settings;                       // in the file's order
  std::optional<std::vector<ScheduleEntry>> schedule;  // none: the file has no [[schedule]]
  bool holdsToken = false;                             // http-token is given
};

// The file's settings, each checked through its option's own parser; errors are
// "FILE:LINE: key: why", all of them, and a file with one is refused whole.
[[nodiscard]] std::variant<ConfigFile, std::vector<std::string>> readConfig(const toml::table& root,
                                                                            std::string_view path);

// The same, from the file at `path`; one that cannot be read or is not TOML is refused too.
[[nodiscard]] std::variant<ConfigFile, std::vector<std::string>> readConfigFile(
    const std::string& path);

// The arguments the file and the command line give together: the file's options first, each one
// the command line does not give itself, so that the command line wins (a list given there
// replaces the file's list).
[[nodiscard]] std::vector<std::string> mergedArguments(const ConfigFile& file,
                                                       const std::vector<std::string_view>& args);

// The keys whose values differ between two sets of arguments, in the option table's order: what
// a reload changes.
[[nodiscard]] std::vector<std::string> changedKeys(const std::vector<std::string>& before,
                                                   const std::vector<std::string>& after);

// `args` with the options of `keys` as `kept` gives them instead: what is in force after a reload
// that could not apply those.
[[nodiscard]] std::vector<std::string> keepingKeys(const std::vector<std::string>& args,
                                                   const std::vector<std::string>& kept,
                                                   const std::vector<std::string>& keys);

// The file holds the token and anyone on the machine may read it.
[[nodiscard]] bool tokenExposed(const ConfigFile& file);

}  // namespace orvane
