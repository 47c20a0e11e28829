#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <variant>

#include "CommandParser.h"

// The console's command language, line by line.
namespace orvane::test {
namespace {

// What every command takes is in the server tests, which send them all; here is what each
// refuses. The answer is one "ERRO:" line saying why, with nothing in it that could drive the
// console's or the operator's display, and a value too large for a byte never wraps into range.
TEST(CommandParser, RefusesWithOneCleanErrorLine) {
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {  // the line, and the reason given
      {"PING", "desconhecido \"PING\""}, {"ENCODE=1", "não leva valor"}, {"PTY", "falta o valor"},
      {"\x01\x1B[BAD\xFF=1", "\"??[BAD?\""}, {"PTY=1G", "não é hexadecimal"},
      {std::string(300, 'K'), std::string(24, 'K') + "...\""}, {"MS=2", "deve ser 00 ou 01"},
      {"PTY=20", "fora do intervalo 00 a 1F"}, {"PTY=10000000A", "fora do intervalo"},
      {"GROUP4A=02", "deve ser 00 ou 01"}, {"TP=FF", "00 ou 01"}, {"TA=101", "00 ou 01"},
      {"GROUP1A=-1", "não é hexadecimal"}, {"TIMEINPSN=", "não é hexadecimal"},
      {"DI=10", "00 a 0F"}, {"DI=  ", "00 a 0F"}, {"DEF1ATIME=FFFFFFFF+0A1E", "dia fora"},
      {"DEF1ATIME=00+0A1E", "dia fora do intervalo 1 a 31"}, {"DEF1ATIME=05-0A1E0", "DD+HHMM"},
      {"DEF1ATIME=05+180A", "hora fora do intervalo 0 a 23"}, {"TXT1=\"", "entre aspas"},
      {"DEF1ATIME=05+0A3C", "minuto fora do intervalo 0 a 59"}, {"PSN= \"x\"", "entre aspas"},
      {"TXT1=\"" + std::string(65, 'x') + "\"", "tem 65 caracteres, o máximo é 64"},
      {"TXT0=\"a\tb\"", "=\"a?b\": byte de controlo 0x09 na posição 2"},
      {std::string("PSN=\"a\0b\"", 9), "controlo 0x00"}, {"TXT0=\"x\x7F\"", "controlo 0x7F"}};
  // clang-format on
  for (const auto& [line, why] : rows) {
    const ParseResult result = parseCommand(line);
    const auto* refusal = std::get_if<Refusal>(&result);
    const std::string message = refusal ? consoleRefusal(*refusal) : "(accepted)";
    EXPECT_TRUE(message.starts_with("ERRO: ") && message.find(why) != std::string::npos &&
                std::ranges::none_of(message, [](char c) { return c >= 0 && c < 0x20; }))
        << message;
  }
}

}  // namespace
}  // namespace orvane::test
