#include "DoorKey.h"

#include <algorithm>
#include <array>

#include "CommandParser.h"
#include "DoorText.h"
#include "OptionNumber.h"
#include "PrintableQuote.h"
#include "RdsLimits.h"
#include "Windows1252.h"
#include "WordCut.h"
#include "XCommand.h"

namespace orvane {
namespace {

constexpr std::size_t kMaxIdentificationDigits = 4;
constexpr std::size_t kMaxDecimalDigits = 3;

Refusal invalid(std::string text) {
  return {Refusal::Kind::InvalidValue, std::move(text)};
}

// Through the console's own reader, so that both doors agree on meaning, bounds and wording.
std::optional<Refusal> applyConsole(const OnAirFieldRow& row, std::string_view value,
                                    OnAirState& next) {
  ParseResult parsed = parseCommand(std::string(row.consoleKeyword) + "=" + std::string(value));
  if (auto* refusal = std::get_if<Refusal>(&parsed)) return std::move(*refusal);
  row.setNumber(next, std::get<Command>(parsed).number);
  return std::nullopt;
}

// A name of one frame is read as it is cut; a longer text reads better ending on a whole word.
std::optional<Refusal> applyText(const OnAirFieldRow& row, std::string_view value, OnAirState& next,
                                 bool& cut) {
  std::string error;
  const auto bound = static_cast<std::size_t>(row.bound);
  const CutAt cutAt = bound > kServiceNameLength ? CutAt::WordEnd : CutAt::Length;
  auto text = fitDoorText(value, bound, cutAt, error);
  if (!text) return invalid(std::string(row.doorKey) + ": " + error);
  cut = text->cut;
  row.setText(next, std::move(text->text));
  return std::nullopt;
}

// Kept byte for byte: the air carries it in UTF-8. A control byte has no glyph and would drive a
// terminal reading the log. Too long goes on air cut where a word ends, as the other texts do,
// and never inside a character.
std::optional<Refusal> applyUtf8Text(const OnAirFieldRow& row, std::string_view value,
                                     OnAirState& next, bool& cut) {
  const std::string key(row.doorKey);
  if (!isUtf8(value)) return invalid(key + ": o texto não é UTF-8");
  if (std::ranges::any_of(value, [](char c) { return (c >= 0 && c < 0x20) || c == 0x7F; })) {
    return invalid(key + ": caracteres de controlo não vão para o ar");
  }
  std::string kept = cutAtWord(value, static_cast<std::size_t>(row.bound));
  while (!isUtf8(kept)) kept.pop_back();
  cut = kept.size() != value.size();
  row.setText(next, std::move(kept));
  return std::nullopt;
}

std::optional<Refusal> applyIdentification(const OnAirFieldRow& row, std::string_view value,
                                           OnAirState& next) {
  unsigned number = 0;
  if (value.empty() || value.size() > kMaxIdentificationDigits ||
      !readOptionNumber(value, static_cast<unsigned>(row.bound), number, 16) || number == 0) {
    return invalid(std::string(row.doorKey) + "=" + printableQuote(value) +
                   ": esperado de 1 a 4 dígitos hexadecimais, não 0");
  }
  row.setNumber(next, static_cast<int>(number));
  return std::nullopt;
}

// Codes as the hardware encoders' protocols write them, and their playout plugins send them.
std::optional<Refusal> applyDecimal(const OnAirFieldRow& row, std::string_view value,
                                    OnAirState& next) {
  unsigned number = 0;
  if (value.empty() || value.size() > kMaxDecimalDigits ||
      !readOptionNumber(value, static_cast<unsigned>(row.bound), number, 10)) {
    return invalid(std::string(row.doorKey) + "=" + printableQuote(value) + ": esperado de 0 a " +
                   std::to_string(row.bound) + " em decimal");
  }
  row.setNumber(next, static_cast<int>(number));
  return std::nullopt;
}

std::optional<Refusal> applySwitch(const OnAirFieldRow& row, std::string_view value,
                                   OnAirState& next) {
  if (value != "0" && value != "1" && value != "00" && value != "01") {
    return invalid(std::string(row.doorKey) + "=" + printableQuote(value) + ": deve ser 0 ou 1");
  }
  row.setNumber(next, value.back() == '1' ? 1 : 0);
  return std::nullopt;
}

constexpr std::size_t kMarkers = 6;

// Six decimal numbers of one or two digits, at most 63, between commas.
std::optional<std::array<unsigned, kMarkers>> readMarkers(std::string_view value) {
  constexpr std::size_t kMaxDigits = 2;
  constexpr unsigned kMaxMarker = 63;
  std::array<unsigned, kMarkers> numbers{};
  for (std::size_t i = 0; i < kMarkers; ++i) {
    const std::size_t comma = value.find(',');
    const std::string_view number = value.substr(0, comma);
    if ((comma == std::string_view::npos) != (i + 1 == kMarkers) || number.size() > kMaxDigits ||
        !readOptionNumber(number, kMaxMarker, numbers[i])) {
      return std::nullopt;
    }
    value.remove_prefix(std::min(value.size(), number.size() + 1));
  }
  return numbers;
}

// pira's markers: type, start and length less one, for each of two tags ("04,13,08,01,25,14").
// They mark the first radiotext as it is on air, so they must fall within it; a type of 0 marks
// nothing, and two of them end the item.
std::optional<Refusal> applyMarkers(std::string_view value, OnAirState& next) {
  const auto numbers = readMarkers(value);
  if (!numbers) {
    return invalid("RTP=" + printableQuote(value) +
                   ": esperados seis números (tipo, início, comprimento menos um, duas vezes)");
  }
  RtPlusTags tags;
  for (std::size_t i = 0; i < tags.tags.size(); ++i) {
    const unsigned type = (*numbers)[i * 3], start = (*numbers)[i * 3 + 1],
                   length = (*numbers)[i * 3 + 2] + 1;
    if (type == 0) continue;
    if (length > static_cast<unsigned>(kMaxTagLength[i]) ||
        start + length > next.radiotext[0].size()) {
      return invalid("RTP: a etiqueta " + std::to_string(i + 1) + " sai do radiotexto no ar");
    }
    tags.tags[i] = {static_cast<int>(type), static_cast<int>(start), static_cast<int>(length)};
    tags.itemRunning = true;
  }
  next.songTags.reset();
  if (tags.itemRunning) next.songTags = OnAirState::SongTags{next.radiotext[0], tags};
  return std::nullopt;
}

std::optional<Refusal> applyXCommand(std::string_view value, OnAirState& next,
                                     AssignedFields& fields, bool& cut) {
  auto read = readXCommand(value);
  if (const auto* error = std::get_if<std::string>(&read)) return invalid("XCMD: " + *error);
  const XCommand& command = std::get<XCommand>(read);
  if (command.scrollingName) {
    bool nameCut = false;
    if (auto refusal =
            applyDoorValue(doorKeyNamed("DPS"), command.plainText(), next, fields, &nameCut)) {
      return refusal;
    }
    cut = nameCut;
  }
  if (!command.radiotext) return std::nullopt;
  bool textCut = false;
  auto song = xCommandRadiotext(command, textCut);
  if (const auto* error = std::get_if<std::string>(&song)) return invalid("XCMD: " + *error);
  auto& tagged = std::get<OnAirState::SongTags>(song);
  cut = cut || textCut;
  next.radiotext[0] = tagged.text;
  next.songTags.reset();
  if (tagged.tags.itemRunning) next.songTags = std::move(tagged);
  fields.set(OnAirField::Radiotext);
  return std::nullopt;
}

// Why a key the doors know sets nothing here. Settings and song fields are taken by the desk and
// the line door before they come this far; any other door is told where they go.
Refusal refusalOf(const OnAirFieldRow& row) {
  const std::string key(row.doorKey);
  switch (row.doorSyntax) {
    case DoorSyntax::SongField:
      return {Refusal::Kind::NotOnAir,
              key + ": um campo de música vai pela porta de linhas ou por /nowplaying"};
    case DoorSyntax::Setting:
      return {Refusal::Kind::NotOnAir, key + ": uma definição, não um valor no ar"};
    case DoorSyntax::Refused:
      // A scrolling name's rate and mode (Nautel's DPSR and DPSM): its speed has a key of its
      // own, and a name here runs a frame of whole words at a time, never a letter at a time.
      return {Refusal::Kind::NotOnAir,
              key + (key == "DPSR" ? ": não suportado; a velocidade do nome dinâmico é DPSS=0..9"
                                   : ": não suportado; o nome dinâmico corre palavra a palavra")};
    default:
      break;
  }
  return {Refusal::Kind::NotOnAir,
          key + ": as frequências alternativas fixam-se no arranque (--af)"};
}

std::optional<Refusal> applyRow(const OnAirFieldRow& row, std::string_view value, OnAirState& next,
                                AssignedFields& fields, bool& cut) {
  switch (row.doorSyntax) {
    case DoorSyntax::Markers:
      return applyMarkers(value, next);
    case DoorSyntax::XCommand:
      return applyXCommand(value, next, fields, cut);
    case DoorSyntax::Text:
      return applyText(row, value, next, cut);
    case DoorSyntax::Utf8Text:
      return applyUtf8Text(row, value, next, cut);
    case DoorSyntax::ConsoleValue:
      return applyConsole(row, value, next);
    case DoorSyntax::Identification:
      return applyIdentification(row, value, next);
    case DoorSyntax::Switch:
      return applySwitch(row, value, next);
    case DoorSyntax::Decimal:
      return applyDecimal(row, value, next);
    case DoorSyntax::FixedAtStart:
    case DoorSyntax::Setting:
    case DoorSyntax::SongField:
    case DoorSyntax::Refused:
    case DoorSyntax::None:
      break;
  }
  return refusalOf(row);
}

}  // namespace

std::string_view doorKeyName(DoorKey key) {
  return key->doorKey;
}

// AF1=, AF2=... as the hardware encoders number the list: the same answer as AF=.
DoorKey doorKeyNamed(std::string_view name) {
  const bool numberedFrequency =
      name.size() > 2 && name.size() <= 4 && (name[0] == 'A' || name[0] == 'a') &&
      (name[1] == 'F' || name[1] == 'f') &&
      std::ranges::all_of(name.substr(2), [](char c) { return c >= '0' && c <= '9'; });
  return doorField(numberedFrequency ? "AF" : name);
}

std::variant<DoorLine, Refusal> parseDoorLine(std::string_view line) {
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
  const DoorKey key = doorKeyNamed(name);
  if (!key)
    return Refusal{Refusal::Kind::UnknownKey,
                   "chave desconhecida \"" + printableQuote(name) + "\""};
  if (read && key->type == FieldType::Command) {
    return invalid(std::string(doorKeyName(key)) + ": nada a ler, só se escreve");
  }
  if (!read && equals == std::string_view::npos) {
    return invalid("falta o valor: " + std::string(doorKeyName(key)) + "=...");
  }
  parsed.kind = read ? DoorLine::Kind::Read : DoorLine::Kind::Set;
  parsed.key = key;
  if (!read) parsed.value = std::string(line.substr(equals + 1));
  return parsed;
}

std::optional<Refusal> applyDoorValue(DoorKey key, std::string_view value, OnAirState& next,
                                      AssignedFields& fields, bool* cut) {
  bool wasCut = false;
  auto refusal = applyRow(*key, value, next, fields, wasCut);
  if (cut) *cut = wasCut;
  if (!refusal && key->element) fields.set(*key->element);
  return refusal;
}

std::string readDoorValue(DoorKey key, const OnAirState& state) {
  if (key->value == nullptr) return "";
  const std::string value = key->value(state);
  if (key->doorSyntax == DoorSyntax::Decimal) return std::to_string(std::stoi(value, nullptr, 16));
  return key->type == FieldType::Text ? utf8FromWindows1252(value) : value;
}

}  // namespace orvane
