#include "CommandFormat.h"

#include <cstdio>

namespace orvane {
namespace {

constexpr char kQuote = '"';

// Every numeric value leaves as the unsigned 32-bit pattern printf's %X would print, so a value
// that failed the window's validation still goes out as the operator typed it.
std::string keywordWithHex(std::string_view keyword, std::uint32_t value) {
  return std::string(keyword) + "=" + hexByte(value);
}

std::string keywordWithQuotedText(std::string_view keyword, std::string_view text) {
  std::string command(keyword);
  command += '=';
  command += kQuote;
  command += text;
  command += kQuote;
  return command;
}

std::uint32_t asUnsigned(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::string hexByte(std::uint32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02X", value);
  return digits;
}

std::string programmeTypeCommand(int selectionIndex) {
  return keywordWithHex("PTY", asUnsigned(selectionIndex));
}

std::string group4ACommand(std::int32_t flag) {
  return keywordWithHex("GROUP4A", asUnsigned(flag));
}

std::string group1ACommand(std::int32_t flag) {
  return keywordWithHex("GROUP1A", asUnsigned(flag));
}

std::string pinTimeCommand(std::uint32_t day, int hour, int minute) {
  return "DEF1ATIME=" + hexByte(day) + "+" + hexByte(asUnsigned(hour)) +
         hexByte(asUnsigned(minute));
}

std::string radioText0Command(std::string_view text) {
  return keywordWithQuotedText("TXT0", text);
}

std::string radioText1Command(std::string_view text) {
  return keywordWithQuotedText("TXT1", text);
}

std::string psNameCommand(std::string_view text) {
  return keywordWithQuotedText("PSN", text);
}

std::string decoderIdCommand(std::string_view diCode) {
  return "DI=" + std::string(diCode);
}

std::string timeInPsCommand(std::int32_t flag) {
  return keywordWithHex("TIMEINPSN", asUnsigned(flag));
}

std::string trafficAnnouncementCommand(std::int32_t flag) {
  return keywordWithHex("TA", asUnsigned(flag));
}

std::string trafficProgrammeCommand(std::int32_t flag) {
  return keywordWithHex("TP", asUnsigned(flag));
}

std::string musicSpeechCommand(std::int32_t flag) {
  return keywordWithHex("MS", asUnsigned(flag));
}

}  // namespace orvane
