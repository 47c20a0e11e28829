#include "LoadedOptions.h"

#include "OptionTable.h"

namespace orvane {

std::variant<Loaded, LoadRefusal> parseArguments(std::vector<std::string> arguments) {
  const std::vector<std::string_view> views(arguments.begin(), arguments.end());
  auto parsed = parseOptions(views);
  if (auto* error = std::get_if<OptionsError>(&parsed)) return LoadRefusal{{error->message}, true};
  return Loaded{std::get<ServerOptions>(std::move(parsed)), std::move(arguments), {}, {}};
}

std::variant<Loaded, LoadRefusal> loadOptions(const std::vector<std::string_view>& commandLine) {
  auto loaded = parseArguments({commandLine.begin(), commandLine.end()});
  if (std::holds_alternative<LoadRefusal>(loaded)) return loaded;
  std::optional<ConfigFile> file;
  if (const std::string path = std::get<Loaded>(loaded).options.configPath; !path.empty()) {
    auto read = readConfigFile(path);
    if (auto* errors = std::get_if<std::vector<std::string>>(&read)) return LoadRefusal{*errors};
    file = std::get<ConfigFile>(std::move(read));
    loaded = parseArguments(mergedArguments(*file, commandLine));
    if (auto* refusal = std::get_if<LoadRefusal>(&loaded)) {
      refusal->lines.front() = path + ": " + refusal->lines.front();
      refusal->usage = false;
      return loaded;
    }
  }
  Loaded& result = std::get<Loaded>(loaded);
  result.file = std::move(file);
  // --schedule FILE, on the command line or as a key, wins over the file's own tables.
  if (!result.options.schedulePath.empty()) {
    auto read = readScheduleFile(result.options.schedulePath);
    if (auto* errors = std::get_if<std::vector<std::string>>(&read)) return LoadRefusal{*errors};
    result.schedule = std::get<std::vector<ScheduleEntry>>(std::move(read));
  } else if (result.file && result.file->schedule) {
    result.schedule = *result.file->schedule;
  }
  return loaded;
}

}  // namespace orvane
