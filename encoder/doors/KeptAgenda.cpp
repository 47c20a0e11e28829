#include "KeptAgenda.h"

#include <cstdint>

#include "KeptAir.h"
#include "RdsLimits.h"

namespace orvane {
namespace {

using nlohmann::json;

// A dynamic service name runs through any length; a file claiming more is not one we wrote.
constexpr std::size_t kMaxKeptNameLength = 1024;
constexpr int kAllDays = (1 << kDaysPerWeek) - 1;

json optionalText(const std::optional<std::string>& text) {
  return text ? keptText(*text) : json();
}

json valuesJson(const ScheduleValues& values) {
  json out = {{"ps", optionalText(values.serviceName)},
              {"rt", {optionalText(values.radiotext[0]), optionalText(values.radiotext[1])}},
              {"ptyn", optionalText(values.programmeTypeName)}};
  out["pty"] = values.programmeType ? json(*values.programmeType) : json();
  return out;
}

// Thrown inside the reader only, where nlohmann's own type errors come out the same way.
struct OutOfRange {};

std::optional<std::string> textOf(const json& value, std::size_t maxLength) {
  if (value.is_null()) return std::nullopt;
  auto bytes = keptTextBytes(value, maxLength);
  if (!bytes) throw OutOfRange{};
  return bytes;
}

int bounded(const json& value, int low, int high) {
  const int number = value.get<int>();
  if (number < low || number > high) throw OutOfRange{};
  return number;
}

ScheduleValues valuesOf(const json& in) {
  ScheduleValues values;
  values.serviceName = textOf(in.at("ps"), kMaxKeptNameLength);
  for (std::size_t i = 0; i < values.radiotext.size(); ++i) {
    values.radiotext[i] = textOf(in.at("rt").at(i), kMaxRadiotextLength);
  }
  values.programmeTypeName = textOf(in.at("ptyn"), kProgrammeTypeNameLength);
  if (!in.at("pty").is_null()) values.programmeType = bounded(in.at("pty"), 0, kMaxProgrammeType);
  return values;
}

}  // namespace

json keptAgendaJson(const KeptAgenda& kept) {
  const ScheduleEntry& entry = kept.entry;
  return {{"days", entry.days.to_ulong()},
          {"from", entry.fromMinute},
          {"to", entry.toMinute},
          {"line", entry.line},
          {"values", valuesJson(entry.values)},
          {"before", valuesJson(kept.before)}};
}

std::optional<KeptAgenda> readKeptAgenda(const json& in) {
  try {
    KeptAgenda kept;
    ScheduleEntry& entry = kept.entry;
    entry.days = static_cast<unsigned long>(bounded(in.at("days"), 0, kAllDays));
    entry.fromMinute = bounded(in.at("from"), 0, kMinutesPerDay - 1);
    entry.toMinute = bounded(in.at("to"), 0, kMinutesPerDay - 1);
    entry.line = bounded(in.at("line"), 0, INT32_MAX);
    entry.values = valuesOf(in.at("values"));
    kept.before = valuesOf(in.at("before"));
    return kept;
  } catch (const OutOfRange&) {
    return std::nullopt;
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

}  // namespace orvane
