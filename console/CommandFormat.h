#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// The encoder's command language: one line of 8-bit text per command, KEYWORD=VALUE or a bare
// KEYWORD. Hex values are upper case and zero-padded to at least two digits ("%02X"); texts are
// quoted with 0x22 and sent byte for byte, nothing escaped. The line feed that ends each command on
// the wire is added when it is sent, not here.

inline constexpr std::string_view kEncodeCommand = "ENCODE";

std::string hexByte(std::uint32_t value);

std::string programmeTypeCommand(int selectionIndex);                 // PTY=0A
std::string group4ACommand(std::int32_t flag);                        // GROUP4A=01
std::string group1ACommand(std::int32_t flag);                        // GROUP1A=00
std::string pinTimeCommand(std::uint32_t day, int hour, int minute);  // DEF1ATIME=05+0A1E
std::string radioText0Command(std::string_view text);                 // TXT0="..."
std::string radioText1Command(std::string_view text);                 // TXT1="..."
std::string psNameCommand(std::string_view text);                     // PSN="..."
std::string decoderIdCommand(std::string_view diCode);      // DI=01 (the code as it stands)
std::string timeInPsCommand(std::int32_t flag);             // TIMEINPSN=00
std::string trafficAnnouncementCommand(std::int32_t flag);  // TA=00
std::string trafficProgrammeCommand(std::int32_t flag);     // TP=01
std::string musicSpeechCommand(std::int32_t flag);          // MS=01

}  // namespace orvane
