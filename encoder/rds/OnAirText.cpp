#include "OnAirText.h"

#include <string_view>

#include "CodeNames.h"
#include "FixedDigits.h"
#include "OnAirFields.h"
#include "ServiceName.h"
#include "Windows1252.h"

namespace orvane {
namespace {

std::string hexByte(int value) {
  return hexDigits(static_cast<unsigned>(value), 2);
}

std::string twoDigits(int value) {
  return decimalDigits(value, 2);
}

// A traffic announcement goes on air only with TP (see GroupScheduler), so the operator is told
// whether the one asked for is on air.
std::string trafficAnnouncementNote(const OnAirState& state, std::string_view offAir) {
  if (!state.trafficAnnouncement) return "";
  return state.trafficProgramme ? " (anúncio de trânsito no ar)" : std::string(offAir);
}

}  // namespace

// Most lines a client sends change nothing on air until ENCODE: they cost no formatting of every
// value twice, which stood between an ENCODE and its UECP frame.
std::vector<std::string> describeChanges(const OnAirState& before, const OnAirState& after) {
  std::vector<std::string> lines;
  if (before == after) return lines;
  for (const OnAirFieldRow& row : onAirFields()) {
    if (row.logLabel.empty() || row.value(before) == row.value(after)) continue;
    lines.push_back(std::string(row.logLabel) + " " + row.describe(after));
  }
  return lines;
}

// Control bytes never pass the parser; they are masked here as well because this text goes
// straight to a terminal.
std::string quotedText(const std::string& windows1252) {
  std::string visible = windows1252;
  for (char& c : visible) {
    if ((c >= 0 && c < 0x20) || c == 0x7F) c = '?';
  }
  return "\"" + utf8FromWindows1252(visible) + "\"";
}

std::string programmeIdentificationText(std::optional<std::uint16_t> code) {
  return code ? hexDigits(*code, 4) : "do codificador";
}

std::string programmeTypeText(int code) {
  const auto index = static_cast<std::size_t>(code);
  return hexByte(code) + " " +
         std::string(index < kProgrammeTypeNames.size() ? kProgrammeTypeNames[index] : "?");
}

std::string decoderIdentificationText(int code) {
  std::string text =
      hexByte(code) + " " + std::string(kDecoderIdNames[static_cast<std::size_t>(code) & 7]);
  if ((code & 8) != 0) text += " PTY dinâmico.";
  return text;
}

std::string programmeItemTimeText(const ProgrammeItemTime& time) {
  return "dia " + std::to_string(time.day) + ", " + twoDigits(time.hour) + ":" +
         twoDigits(time.minute);
}

std::string groupSwitchText(bool on) {
  return on ? "ligado" : "desligado";
}

std::string yesNoText(bool on) {
  return on ? "sim" : "não";
}

std::string trafficAnnouncementText(const OnAirState& state) {
  return yesNoText(state.trafficAnnouncement) +
         trafficAnnouncementNote(state, " (fora do ar sem TP)");
}

std::string trafficProgrammeText(const OnAirState& state) {
  return yesNoText(state.trafficProgramme) + trafficAnnouncementNote(state, " (TA fora do ar)");
}

std::string musicText(bool music) {
  return music ? "música" : "fala";
}

std::string scrollSpeedText(int speed) {
  const std::int64_t tenths = frameHoldMicros(speed) / 100'000;
  std::string hold = std::to_string(tenths / 10);
  if (tenths % 10 != 0) hold += "," + std::to_string(tenths % 10);
  return std::to_string(speed) + " (" + hold + " s por imagem)";
}

}  // namespace orvane
