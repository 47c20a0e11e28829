#include "OnAirText.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "CodeNames.h"
#include "Windows1252.h"

namespace orvane {
namespace {

std::string hexByte(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(value));
  return buffer;
}

std::string twoDigits(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::string yesNo(bool on) {
  return on ? "sim" : "não";
}

// Control bytes never pass the parser; they are masked here as well because this text goes
// straight to a terminal.
std::string quoted(const std::string& text) {
  std::string visible = text;
  for (char& c : visible) {
    if ((c >= 0 && c < 0x20) || c == 0x7F) c = '?';
  }
  return "\"" + utf8FromWindows1252(visible) + "\"";
}

std::string programmeIdentification(std::optional<std::uint16_t> code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(code.value_or(0)));
  return code ? buffer : "do codificador";
}

std::string programmeType(int code) {
  const auto index = static_cast<std::size_t>(code);
  return hexByte(code) + " " +
         std::string(index < kProgrammeTypeNames.size() ? kProgrammeTypeNames[index] : "?");
}

std::string decoderIdentification(int code) {
  std::string text =
      hexByte(code) + " " + std::string(kDecoderIdNames[static_cast<std::size_t>(code) & 7]);
  if ((code & 8) != 0) text += " PTY dinâmico.";
  return text;
}

std::string programmeItemTime(const ProgrammeItemTime& t) {
  return "dia " + std::to_string(t.day) + ", " + twoDigits(t.hour) + ":" + twoDigits(t.minute);
}

// A traffic announcement goes on air only with TP (see GroupScheduler), so the operator is told
// whether the one asked for is on air.
std::string trafficAnnouncementNote(const OnAirState& state, std::string_view offAir) {
  if (!state.trafficAnnouncement) return "";
  return state.trafficProgramme ? " (anúncio de trânsito no ar)" : std::string(offAir);
}

}  // namespace

std::vector<std::string> describeChanges(const OnAirState& before, const OnAirState& after) {
  std::vector<std::string> lines;
  auto note = [&lines](bool changed, std::string line) {
    if (changed) lines.push_back(std::move(line));
  };
  note(before.programmeIdentification != after.programmeIdentification,
       "PI " + programmeIdentification(after.programmeIdentification));
  note(before.programmeType != after.programmeType, "PTY " + programmeType(after.programmeType));
  note(before.programmeServiceName != after.programmeServiceName,
       "PS " + quoted(after.programmeServiceName));
  note(before.radiotext[0] != after.radiotext[0], "RTXT1 " + quoted(after.radiotext[0]));
  note(before.radiotext[1] != after.radiotext[1], "RTXT2 " + quoted(after.radiotext[1]));
  note(before.programmeTypeName != after.programmeTypeName,
       "PTYN " + quoted(after.programmeTypeName));
  note(before.programmeItemTime != after.programmeItemTime,
       "Início do programa " + programmeItemTime(after.programmeItemTime));
  note(before.clockTimeGroups != after.clockTimeGroups,
       "Grupo 4A (relógio) " + std::string(after.clockTimeGroups ? "ligado" : "desligado"));
  note(before.programmeItemGroups != after.programmeItemGroups,
       "Grupo 1A (início do programa) " +
           std::string(after.programmeItemGroups ? "ligado" : "desligado"));
  note(before.decoderIdentification != after.decoderIdentification,
       "DI " + decoderIdentification(after.decoderIdentification));
  note(before.timeInServiceName != after.timeInServiceName,
       "Hora no PS " + yesNo(after.timeInServiceName));
  note(before.trafficAnnouncement != after.trafficAnnouncement,
       "TA " + yesNo(after.trafficAnnouncement) +
           trafficAnnouncementNote(after, " (fora do ar sem TP)"));
  note(before.trafficProgramme != after.trafficProgramme,
       "TP " + yesNo(after.trafficProgramme) + trafficAnnouncementNote(after, " (TA fora do ar)"));
  note(before.music != after.music, std::string("MS ") + (after.music ? "música" : "fala"));
  return lines;
}

}  // namespace orvane
