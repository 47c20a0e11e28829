#include "SettingsLine.h"

#include <array>
#include <climits>
#include <string>
#include <utility>

#include "LineReader.h"
#include "ScanNumbers.h"

namespace orvane {
namespace {

constexpr std::string_view kClientTag = "[CLIENT]";
// The workstation trimmed with `< 0x21` on a signed char: blanks and controls go, and so does
// every byte from 0x80 up, accented letters included ("Olá" is read as "Ol").
constexpr int kSettingsTrimBelow = 0x21;

constexpr std::array<std::pair<std::string_view, SettingKey>, 11> kKeyWords{{
    {"SOCKET", SettingKey::kSocket},
    {"SETPTY", SettingKey::kSetPty},
    {"SETDI", SettingKey::kSetDi},
    {"SETBMS", SettingKey::kSetBms},
    {"SETBTA", SettingKey::kSetBta},
    {"SETBTP", SettingKey::kSetBtp},
    {"SETGR4", SettingKey::kSetGr4},
    {"SETGR1", SettingKey::kSetGr1},
    {"SETPSN", SettingKey::kSetPsn},
    {"SETTXT1", SettingKey::kSetTxt1},
    {"SETTXT2", SettingKey::kSetTxt2},
}};

std::string asciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::optional<SettingKey> findKeyWord(std::string_view keyPart) {
  const std::string upper = asciiUpper(keyPart);
  for (const auto& [word, key] : kKeyWords) {
    if (upper.find(word) != std::string::npos) return key;
  }
  return std::nullopt;
}

// A list index from a scanned number. Numbers past the int range are outside every list
// anyway; -1 says so without relying on the wrap of the conversion.
int selectionIndex(std::uint32_t number) {
  return number <= INT_MAX ? static_cast<int>(number) : -1;
}

void applyFlag(std::string_view value, Flag& flag) {
  if (const auto number = scanHex(value)) flag = number->value != 0 ? 1 : 0;
}

void applySocket(std::string_view value, ConsoleState& state, ConsoleWindow& window) {
  const auto scanned = scanAddressAndPort(value);
  if (!scanned) return;
  window.setServerAddress(scanned->address);
  // Stored as read, a negative port wrapping as it did in the workstation's unsigned field;
  // the window's range check reports it at the next transfer.
  state.serverPort = static_cast<std::uint32_t>(scanned->port);
}

}  // namespace

std::optional<SettingLine> parseSettingLine(std::string_view piece) {
  if (piece.empty() || piece.front() == ';') return std::nullopt;
  const std::string_view line = trimLineEnd(piece, kSettingsTrimBelow);
  if (line.find(kClientTag) == std::string_view::npos) return std::nullopt;
  // A tagged line without "=" has no key and no value; it is skipped like any unusable line.
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const auto key = findKeyWord(line.substr(0, equals));
  if (!key) return std::nullopt;
  return SettingLine{*key, line.substr(equals + 1)};
}

void applySetting(const SettingLine& line, ConsoleState& state, ConsoleWindow& window) {
  const std::string_view value = line.value;
  switch (line.key) {
    case SettingKey::kSocket:
      applySocket(value, state, window);
      break;
    case SettingKey::kSetPty:
      if (const auto number = scanHex(value)) {
        window.selectProgrammeType(selectionIndex(number->value));
        state.ptyCode = value;
      }
      break;
    case SettingKey::kSetDi:
      if (const auto number = scanHex(value)) {
        state.diCode = value;
        window.selectDecoderId(selectionIndex(number->value));
      }
      break;
    case SettingKey::kSetBms:
      applyFlag(value, state.musicFlag);
      break;
    case SettingKey::kSetBta:
      applyFlag(value, state.taFlag);
      break;
    case SettingKey::kSetBtp:
      applyFlag(value, state.tpFlag);
      break;
    case SettingKey::kSetGr4:
      applyFlag(value, state.group4A);
      break;
    case SettingKey::kSetGr1:
      applyFlag(value, state.group1A);
      break;
    case SettingKey::kSetPsn:
      state.psName = value;
      break;
    case SettingKey::kSetTxt1:
      state.radioText1 = value;
      break;
    case SettingKey::kSetTxt2:
      state.radioText2 = value;
      break;
  }
}

}  // namespace orvane
