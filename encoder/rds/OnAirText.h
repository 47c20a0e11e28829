#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "OnAirState.h"

namespace orvane {

// Describes, in Portuguese and UTF-8, every value that differs between two on-air states, one
// line per value in the order of the fields' table, the way an operator would read it off a
// receiver: "PTY 0A Música Pop", "RTXT1 \"Bom dia\"", "TA sim".
[[nodiscard]] std::vector<std::string> describeChanges(const OnAirState& before,
                                                       const OnAirState& after);

// How one value reads in those lines, after its label.
[[nodiscard]] std::string quotedText(const std::string& windows1252);
[[nodiscard]] std::string programmeIdentificationText(std::optional<std::uint16_t> code);
[[nodiscard]] std::string programmeTypeText(int code);
[[nodiscard]] std::string decoderIdentificationText(int code);
[[nodiscard]] std::string programmeItemTimeText(const ProgrammeItemTime& time);
[[nodiscard]] std::string groupSwitchText(bool on);  // "ligado", "desligado"
[[nodiscard]] std::string yesNoText(bool on);
[[nodiscard]] std::string trafficAnnouncementText(const OnAirState& state);
[[nodiscard]] std::string trafficProgrammeText(const OnAirState& state);
[[nodiscard]] std::string musicText(bool music);
[[nodiscard]] std::string scrollSpeedText(int speed);  // "6 (3 s por imagem)"

}  // namespace orvane
