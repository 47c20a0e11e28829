#include "DoorKey.h"

#include <cstdio>

#include "Command.h"
#include "CommandParser.h"
#include "DoorText.h"
#include "OptionNumber.h"
#include "PrintableQuote.h"
#include "Windows1252.h"

namespace orvane {
namespace {

constexpr std::array<std::string_view, 12> kNames = {"PS", "DPS", "TEXT", "PTY", "PTYN", "TA",
                                                     "TP", "MS",  "DI",   "PI",  "AF",   "CT"};
constexpr std::size_t kServiceNameLength = 8;
constexpr std::size_t kProgrammeTypeNameLength = 8;
// A name shown frame by frame: eight frames are already more than a listener reads.
constexpr std::size_t kMaxDynamicNameLength = 64;
char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string hex(unsigned value, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// PTY, TA, TP, MS and DI through the console's own reader, so that both doors agree.
std::optional<std::string> applyConsole(std::string_view name, std::string_view value,
                                        OnAirState& next, AssignedFields& fields) {
  const ParseResult parsed = parseCommand(std::string(name) + "=" + std::string(value));
  if (const auto* error = std::get_if<ParseError>(&parsed)) return error->message.substr(6);
  const Command& command = std::get<Command>(parsed);
  const bool on = command.number != 0;
  OnAirField field{};
  if (fieldOf(command.keyword, field)) fields.set(field);
  switch (command.keyword) {
    case Keyword::Pty:
      next.programmeType = command.number;
      break;
    case Keyword::Di:
      next.decoderIdentification = command.number;
      break;
    case Keyword::Ta:
      next.trafficAnnouncement = on;
      break;
    case Keyword::Tp:
      next.trafficProgramme = on;
      break;
    default:
      next.music = on;
      break;
  }
  return std::nullopt;
}

std::optional<std::string> applyText(DoorKey key, std::string_view value, OnAirState& next,
                                     AssignedFields& fields) {
  const std::size_t max = key == DoorKey::Ps     ? kServiceNameLength
                          : key == DoorKey::Ptyn ? kProgrammeTypeNameLength
                          : key == DoorKey::Dps  ? kMaxDynamicNameLength
                                                 : kMaxRadiotextLength;
  std::string error;
  auto text = doorText(value, max, error);
  if (!text) return std::string(doorKeyName(key)) + ": " + error;
  if (key == DoorKey::Text) {
    next.radiotext[0] = std::move(*text);
    fields.set(OnAirField::Radiotext);
  } else if (key == DoorKey::Ptyn) {
    next.programmeTypeName = std::move(*text);
    fields.set(OnAirField::ProgrammeTypeName);
  } else {
    next.programmeServiceName = std::move(*text);
    fields.set(OnAirField::ServiceName);
  }
  return std::nullopt;
}

}  // namespace

std::string_view doorKeyName(DoorKey key) {
  return kNames[static_cast<std::size_t>(key)];
}

std::optional<DoorKey> doorKeyNamed(std::string_view name) {
  std::string upperName;
  for (char c : name) upperName.push_back(upper(c));
  if (upperName == "RT") return DoorKey::Text;
  for (DoorKey key : kDoorKeys) {
    if (doorKeyName(key) == upperName) return key;
  }
  return std::nullopt;
}

std::variant<DoorLine, std::string> parseDoorLine(std::string_view line) {
  DoorLine parsed;
  if (line.find_first_not_of(" \t") == std::string_view::npos) return parsed;
  if (line == "??") {
    parsed.kind = DoorLine::Kind::ReadAll;
    return parsed;
  }
  const bool read = line.starts_with('?');
  const auto equals = line.find('=');
  const std::string_view name =
      read ? line.substr(1) : line.substr(0, std::min(equals, line.size()));
  const auto key = doorKeyNamed(name);
  if (!key) return "chave desconhecida \"" + printableQuote(name) + "\"";
  if (!read && equals == std::string_view::npos) {
    return "falta o valor: " + std::string(doorKeyName(*key)) + "=...";
  }
  parsed.kind = read ? DoorLine::Kind::Read : DoorLine::Kind::Set;
  parsed.key = *key;
  if (!read) parsed.value = std::string(line.substr(equals + 1));
  return parsed;
}

std::optional<std::string> applyDoorValue(DoorKey key, std::string_view value, OnAirState& next,
                                          AssignedFields& fields) {
  unsigned number = 0;
  switch (key) {
    case DoorKey::Ps:
    case DoorKey::Dps:
    case DoorKey::Text:
    case DoorKey::Ptyn:
      return applyText(key, value, next, fields);
    case DoorKey::Pi:
      if (value.empty() || value.size() > 4 || !readOptionNumber(value, 0xFFFF, number, 16) ||
          number == 0) {
        return "PI=" + printableQuote(value) + ": esperado de 1 a 4 dígitos hexadecimais, não 0";
      }
      next.programmeIdentification = static_cast<std::uint16_t>(number);
      fields.set(OnAirField::ProgrammeIdentification);
      return std::nullopt;
    case DoorKey::Ct:
      if (value != "0" && value != "1" && value != "00" && value != "01") {
        return "CT=" + printableQuote(value) + ": deve ser 0 ou 1";
      }
      next.clockTimeGroups = value.back() == '1';
      fields.set(OnAirField::ClockTime);
      return std::nullopt;
    case DoorKey::Af:
      return std::string("AF: as frequências alternativas fixam-se no arranque (--af)");
    default:
      return applyConsole(doorKeyName(key), value, next, fields);
  }
}

std::string readDoorValue(DoorKey key, const OnAirState& state) {
  switch (key) {
    case DoorKey::Ps:
    case DoorKey::Dps:
      return utf8FromWindows1252(state.programmeServiceName);
    case DoorKey::Text:
      return utf8FromWindows1252(state.radiotext[0]);
    case DoorKey::Ptyn:
      return utf8FromWindows1252(state.programmeTypeName);
    case DoorKey::Pty:
      return hex(static_cast<unsigned>(state.programmeType), 2);
    case DoorKey::Ta:
      return state.trafficAnnouncement ? "1" : "0";
    case DoorKey::Tp:
      return state.trafficProgramme ? "1" : "0";
    case DoorKey::Ms:
      return state.music ? "1" : "0";
    case DoorKey::Di:
      return hex(static_cast<unsigned>(state.decoderIdentification), 2);
    case DoorKey::Pi:
      return state.programmeIdentification ? hex(*state.programmeIdentification, 4) : "";
    case DoorKey::Ct:
      return state.clockTimeGroups ? "1" : "0";
    case DoorKey::Af:
      break;
  }
  return "";
}

}  // namespace orvane
