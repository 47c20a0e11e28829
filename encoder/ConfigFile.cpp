#include "ConfigFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <map>

#include "OptionTable.h"
#include "RdsLimits.h"
#include "ScheduleFile.h"

namespace orvane {
namespace {

// Options that only make sense on the command line: a file cannot name itself, nor ask for help.
constexpr std::string_view kCommandLineOnly[] = {"config", "check", "help"};
constexpr std::string_view kTokenKey = "http-token";
constexpr std::string_view kScheduleKey = "schedule";
constexpr std::string_view kOtherNetworkKey = "eon";

struct Reader {
  std::string_view path;
  std::vector<std::pair<std::uint32_t, std::string>> errors;  // by line, as toml++ sorts keys

  void refuse(const toml::node& node, std::string_view key, std::string_view why) {
    const std::uint32_t line = node.source().begin.line;
    errors.emplace_back(line, std::string(path) + ":" + std::to_string(line) + ": " +
                                  std::string(key) + ": " + std::string(why));
  }

  [[nodiscard]] std::vector<std::string> inFileOrder() {
    std::ranges::stable_sort(errors, {}, &std::pair<std::uint32_t, std::string>::first);
    std::vector<std::string> lines;
    for (auto& [line, text] : errors) lines.push_back(std::move(text));
    return lines;
  }
};

// A scalar as the command line would spell it: a port as 6969, a level as 3.375.
std::optional<std::string> scalarText(const toml::node& node) {
  if (const auto text = node.value_exact<std::string>()) return *text;
  if (const auto number = node.value_exact<std::int64_t>()) return std::to_string(*number);
  if (const auto real = node.value_exact<double>()) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, *real).ptr;
    return std::string(digits, end);
  }
  return std::nullopt;
}

std::optional<ConfigFile::Setting> settingOf(Reader& reader, std::string_view key,
                                             const toml::node& node, OptionArity arity) {
  ConfigFile::Setting setting{std::string(key), {}};
  if (arity == OptionArity::Flag) {
    const auto on = node.value_exact<bool>();
    if (!on) reader.refuse(node, key, "espera true ou false");
    if (!on || !*on) return std::nullopt;
    return setting;
  }
  const toml::array* list = node.as_array();
  if (list && arity == OptionArity::Repeatable) {
    for (const toml::node& item : *list) {
      const auto text = scalarText(item);
      if (!text) {
        reader.refuse(item, key, "espera textos na lista");
        return std::nullopt;
      }
      setting.values.push_back(*text);
    }
    return setting;
  }
  const auto text = scalarText(node);
  if (!text) {
    reader.refuse(node, key, "espera um texto ou um número");
    return std::nullopt;
  }
  setting.values.push_back(*text);
  return setting;
}

// Each value through the option's own parser, on options of its own, so that a bad value is
// refused at its line rather than later, without one.
void check(Reader& reader, const ConfigFile::Setting& setting, const toml::node& node) {
  ServerOptions scratch;
  for (const std::string& value : setting.values) {
    if (auto refusal = applyOption(setting.key, value, scratch)) {
      reader.refuse(node, setting.key, *refusal);
      return;
    }
  }
}

void readSchedule(Reader& reader, const toml::table& root, ConfigFile& file) {
  auto schedule = loadSchedule(root, reader.path);
  if (auto* entries = std::get_if<std::vector<ScheduleEntry>>(&schedule)) {
    file.schedule = std::move(*entries);
    return;
  }
  for (std::string& error : std::get<std::vector<std::string>>(schedule)) {
    reader.errors.emplace_back(root.get(kScheduleKey)->source().begin.line, std::move(error));
  }
}

// One [[eon]] table spelt as --eon's value ("C201=ORVANE 2,tp,pty=10,af=87.6/101.2"), so that the
// file and the command line make one list and a reload compares it as any other option's.
std::optional<std::string> otherNetworkValue(Reader& reader, const toml::table& table) {
  std::optional<std::string> pi;
  std::optional<std::string> name;
  std::string tail;
  bool sound = true;
  const auto refuse = [&](const toml::node& node, std::string_view field, std::string_view why) {
    reader.refuse(node, std::string(kOtherNetworkKey) + "." + std::string(field), why);
    sound = false;
  };
  for (const auto& [key, node] : table) {
    const std::string_view field = key.str();
    if (field == "pi" || field == "name" || field == "af") {
      const auto text = node.value_exact<std::string>();
      if (!text) {
        refuse(node, field, "espera um texto");
      } else if (field == "pi") {
        pi = *text;
      } else if (field == "af") {
        std::string list = *text;
        std::ranges::replace(list, ',', '/');  // --eon's own items are parted by commas
        tail += ",af=" + list;
      } else if (text->find(',') != std::string::npos) {
        refuse(node, field, "um nome sem vírgulas");
      } else {
        name = *text;
      }
    } else if (field == "pty") {
      const auto type = node.value_exact<std::int64_t>();
      if (!type || *type < 0 || *type > kMaxProgrammeType) {
        refuse(node, field, "espera um número de 0 a 31");
      } else {
        tail += ",pty=" + std::to_string(*type);
      }
    } else if (field == "tp") {
      const auto on = node.value_exact<bool>();
      if (!on) refuse(node, field, "espera true ou false");
      if (on && *on) tail += ",tp";
    } else {
      refuse(node, field, "chave desconhecida (pi, name, af, pty, tp)");
    }
  }
  if (sound && (!pi || !name)) {
    reader.refuse(table, kOtherNetworkKey, "cada [[eon]] precisa de pi e name");
    return std::nullopt;
  }
  if (!sound) return std::nullopt;
  return *pi + "=" + *name + tail;
}

// Each table checked at its own line, on one scratch of options, so that a PI given twice or a
// ninth network is refused where it stands.
void readOtherNetworks(Reader& reader, const toml::array& tables, ConfigFile& file) {
  ConfigFile::Setting setting{std::string(kOtherNetworkKey), {}};
  ServerOptions scratch;
  for (const toml::node& item : tables) {
    auto value = otherNetworkValue(reader, *item.as_table());
    if (!value) continue;
    if (auto refusal = applyOption(kOtherNetworkKey, *value, scratch)) {
      reader.refuse(item, kOtherNetworkKey, *refusal);
      continue;
    }
    setting.values.push_back(std::move(*value));
  }
  file.settings.push_back(std::move(setting));
}

// Calls `take` with each option given and its value (none for a flag).
template <class Take>
void eachOption(const std::vector<std::string>& args, Take take) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const ServerOptionRow* row =
        std::string_view(args[i]).starts_with("--") ? findOption(args[i].substr(2)) : nullptr;
    if (!row) continue;
    const std::string& name = args[i];
    const bool valued = row->arity != OptionArity::Flag && i + 1 < args.size();
    take(row->key(), name, valued ? &args[++i] : nullptr);
  }
}

// Each option given, with its values in order; a flag's is none.
std::map<std::string, std::vector<std::string>, std::less<>> valuesByKey(
    const std::vector<std::string>& args) {
  std::map<std::string, std::vector<std::string>, std::less<>> values;
  eachOption(args, [&](std::string_view key, const std::string&, const std::string* value) {
    auto& given = values[std::string(key)];
    if (value) given.push_back(*value);
  });
  return values;
}

}  // namespace

std::variant<ConfigFile, std::vector<std::string>> readConfig(const toml::table& root,
                                                              std::string_view path) {
  Reader reader{path, {}};
  ConfigFile file;
  file.path = std::string(path);
  for (const auto& [name, node] : root) {
    const std::string_view key = name.str();
    if (key == kScheduleKey && node.is_array_of_tables()) {
      readSchedule(reader, root, file);
      continue;
    }
    if (key == kOtherNetworkKey && node.is_array_of_tables()) {
      readOtherNetworks(reader, *node.as_array(), file);
      continue;
    }
    const ServerOptionRow* row = findOption(key);
    if (!row) {
      reader.refuse(node, key, "chave desconhecida");
      continue;
    }
    if (std::ranges::find(kCommandLineOnly, key) != std::end(kCommandLineOnly)) {
      reader.refuse(node, key, "só na linha de comandos");
      continue;
    }
    auto setting = settingOf(reader, key, node, row->arity);
    if (!setting) continue;
    check(reader, *setting, node);
    file.holdsToken = file.holdsToken || key == kTokenKey;
    file.settings.push_back(std::move(*setting));
  }
  if (!reader.errors.empty()) return reader.inFileOrder();
  return file;
}

std::variant<ConfigFile, std::vector<std::string>> readConfigFile(const std::string& path) {
  try {
    return readConfig(toml::parse_file(path), path);
  } catch (const toml::parse_error& error) {
    return std::vector<std::string>{path + ":" + std::to_string(error.source().begin.line) + ": " +
                                    std::string(error.description())};
  }
}

std::vector<std::string> mergedArguments(const ConfigFile& file,
                                         const std::vector<std::string_view>& args) {
  std::vector<std::string_view> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const ServerOptionRow* row =
        args[i].starts_with("--") ? findOption(args[i].substr(2)) : nullptr;
    if (!row) continue;
    given.push_back(row->key());
    if (row->arity != OptionArity::Flag) ++i;
  }
  std::vector<std::string> merged;
  for (const ConfigFile::Setting& setting : file.settings) {
    if (std::ranges::find(given, setting.key) != given.end()) continue;
    // An empty list is no value at all, not a flag that would swallow the next option.
    const ServerOptionRow* row = findOption(setting.key);
    if (row && row->arity == OptionArity::Flag) merged.push_back("--" + setting.key);
    for (const std::string& value : setting.values) {
      merged.push_back("--" + setting.key);
      merged.push_back(value);
    }
  }
  merged.insert(merged.end(), args.begin(), args.end());
  return merged;
}

std::vector<std::string> changedKeys(const std::vector<std::string>& before,
                                     const std::vector<std::string>& after) {
  const auto old = valuesByKey(before);
  const auto now = valuesByKey(after);
  std::vector<std::string> changed;
  for (const auto& section : optionSections()) {
    for (const auto& row : section.rows) {
      const auto was = old.find(row.key());
      const auto is = now.find(row.key());
      const bool same = (was == old.end() && is == now.end()) ||
                        (was != old.end() && is != now.end() && was->second == is->second);
      if (!same) changed.emplace_back(row.key());
    }
  }
  return changed;
}

std::vector<std::string> keepingKeys(const std::vector<std::string>& args,
                                     const std::vector<std::string>& kept,
                                     const std::vector<std::string>& keys) {
  std::vector<std::string> result;
  const auto copy = [&](bool ofKeys) {
    return [&, ofKeys](std::string_view key, const std::string& name, const std::string* value) {
      if ((std::ranges::find(keys, key) != keys.end()) != ofKeys) return;
      result.push_back(name);
      if (value) result.push_back(*value);
    };
  };
  eachOption(args, copy(false));
  eachOption(kept, copy(true));
  return result;
}

bool tokenExposed(const ConfigFile& file) {
  struct stat info {};
  return file.holdsToken && stat(file.path.c_str(), &info) == 0 && (info.st_mode & S_IROTH) != 0;
}

}  // namespace orvane
