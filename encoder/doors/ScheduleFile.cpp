#include "ScheduleFile.h"

#include <algorithm>
#include <cctype>

#include "CodeNames.h"
#include "DoorText.h"
#include "RdsLimits.h"

namespace orvane {
namespace {

constexpr std::size_t kMaxScrollingNameLength = 64;  // as the doors take DPS
constexpr std::size_t kWeekMinutes = static_cast<std::size_t>(kDaysPerWeek * kMinutesPerDay);

struct Reader {
  std::string_view fileName;
  std::vector<std::string> errors;

  void refuse(const toml::node& node, std::string_view why) {
    errors.push_back(std::string(fileName) + ":" + std::to_string(node.source().begin.line) +
                     ": schedule: " + std::string(why));
  }
};

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::optional<int> programmeTypeOf(const toml::node& node) {
  if (const auto number = node.value_exact<std::int64_t>()) {
    if (*number < 0 || *number > kMaxProgrammeType) return std::nullopt;
    return static_cast<int>(*number);
  }
  const auto name = node.value_exact<std::string>();
  if (!name) return std::nullopt;
  for (std::size_t code = 0; code < kProgrammeTypeNames.size(); ++code) {
    if (lowerAscii(kProgrammeTypeNames[code]) == lowerAscii(*name)) return static_cast<int>(code);
  }
  return std::nullopt;
}

std::optional<std::string> textOf(Reader& reader, const toml::node& node, std::string_view key,
                                  std::size_t bound) {
  const auto text = node.value_exact<std::string>();
  if (!text) {
    reader.refuse(node, std::string(key) + ": não é um texto");
    return std::nullopt;
  }
  std::string error;
  auto onAir = doorText(*text, bound, error);
  if (!onAir) reader.refuse(node, std::string(key) + ": " + error);
  return onAir;
}

std::optional<int> clockTimeOf(Reader& reader, const toml::table& table, std::string_view key) {
  const toml::node* node = table.get(key);
  if (!node) {
    reader.refuse(table, "falta '" + std::string(key) + "'");
    return std::nullopt;
  }
  const auto text = node->value_exact<std::string>();
  auto minute = text ? parseClockTime(*text) : std::nullopt;
  if (!minute) reader.refuse(*node, std::string(key) + ": não é uma hora HH:MM");
  return minute;
}

// One value of an entry; false for a key no entry has.
bool readValue(Reader& reader, std::string_view key, const toml::node& node, ScheduleEntry& entry) {
  ScheduleValues& values = entry.values;
  if (key == "ps" || key == "dps") {
    values.serviceName =
        textOf(reader, node, key, key == "ps" ? kServiceNameLength : kMaxScrollingNameLength);
  } else if (key == "text" || key == "text2") {
    values.radiotext[key == "text" ? 0 : 1] = textOf(reader, node, key, kMaxRadiotextLength);
  } else if (key == "ptyn") {
    values.programmeTypeName = textOf(reader, node, key, kProgrammeTypeNameLength);
  } else if (key == "pty") {
    values.programmeType = programmeTypeOf(node);
    if (!values.programmeType) reader.refuse(node, "pty: não é um número de 0 a 31 nem um nome");
  } else if (key == "days") {
    const auto text = node.value_exact<std::string>();
    const auto days = text ? parseDays(*text) : std::nullopt;
    if (!days) reader.refuse(node, "days: não são dias como \"mon-fri\" ou \"sat,sun\"");
    entry.days = days.value_or(entry.days);
  } else {
    return key == "from" || key == "to";
  }
  return true;
}

std::optional<ScheduleEntry> readEntry(Reader& reader, const toml::table& table) {
  const std::size_t errorsBefore = reader.errors.size();
  ScheduleEntry entry;
  entry.line = static_cast<int>(table.source().begin.line);
  entry.days.set();
  for (const auto& [key, node] : table) {
    if (!readValue(reader, key.str(), node, entry)) {
      reader.refuse(node, "chave desconhecida: " + std::string(key.str()));
    }
  }
  if (table.contains("ps") && table.contains("dps")) reader.refuse(table, "ps e dps juntos");
  const auto from = clockTimeOf(reader, table, "from");
  const auto to = clockTimeOf(reader, table, "to");
  if (from && to && *from == *to) reader.refuse(table, "from e to iguais");
  if (entry.values == ScheduleValues{}) reader.refuse(table, "nada para pôr no ar");
  if (reader.errors.size() != errorsBefore) return std::nullopt;
  entry.fromMinute = *from;
  entry.toMinute = *to;
  return entry;
}

// Every minute of the week has at most one entry; the first that claims it keeps it.
void refuseOverlaps(Reader& reader, const std::vector<ScheduleEntry>& entries,
                    const toml::array& tables) {
  std::vector<int> owner(kWeekMinutes, -1);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::optional<int> clash;
    for (std::size_t minute = 0; minute < kWeekMinutes; ++minute) {
      const int day = static_cast<int>(minute) / kMinutesPerDay;
      if (!runsAt(entries[i], day, static_cast<int>(minute) % kMinutesPerDay)) continue;
      if (owner[minute] >= 0 && !clash) clash = owner[minute];
      if (owner[minute] < 0) owner[minute] = static_cast<int>(i);
    }
    if (clash) {
      reader.refuse(*tables.get(i),
                    "sobrepõe-se à entrada da linha " +
                        std::to_string(entries[static_cast<std::size_t>(*clash)].line));
    }
  }
}

}  // namespace

std::variant<std::vector<ScheduleEntry>, std::vector<std::string>> loadSchedule(
    const toml::table& root, std::string_view fileName) {
  Reader reader{fileName, {}};
  std::vector<ScheduleEntry> entries;
  const toml::node* node = root.get("schedule");
  if (!node) return entries;
  const toml::array* tables = node->as_array();
  if (!tables || !tables->is_array_of_tables()) {
    reader.refuse(*node, "não é uma lista de tabelas [[schedule]]");
    return reader.errors;
  }
  if (tables->size() > kMaxScheduleEntries) {
    reader.refuse(*node, "mais de " + std::to_string(kMaxScheduleEntries) + " entradas");
    return reader.errors;
  }
  for (const toml::node& table : *tables) {
    if (auto entry = readEntry(reader, *table.as_table())) entries.push_back(std::move(*entry));
  }
  if (reader.errors.empty()) refuseOverlaps(reader, entries, *tables);
  if (!reader.errors.empty()) return reader.errors;
  return entries;
}

std::variant<std::vector<ScheduleEntry>, std::vector<std::string>> readScheduleFile(
    const std::string& path) {
  try {
    return loadSchedule(toml::parse_file(path), path);
  } catch (const toml::parse_error& error) {
    return std::vector<std::string>{path + ":" + std::to_string(error.source().begin.line) + ": " +
                                    std::string(error.description())};
  }
}

}  // namespace orvane
