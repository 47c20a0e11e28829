#include <gtest/gtest.h>

#include "CommandParser.h"
#include "Cp1252.h"
#include "Windows1252.h"

namespace orvane {
namespace {

// The console's converter is the project's reference for the code page; the two must agree on
// every byte, except that the server masks the undefined ones rather than emit C1 controls.
TEST(Windows1252, AgreesWithTheConsoleAndMarksWhatItLacks) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    EXPECT_EQ(utf8FromWindows1252(byte), undefined ? "\uFFFD" : utf8FromCp1252(byte)) << b;
  }
  EXPECT_EQ(windows1252FromUtf8("não € “x” a∞b\uFFFD\xC3"), "n\xE3o \x80 \x93x\x94 a?b??");
}

// What every command takes is in the server tests, which send them all; here is what each
// refuses. The answer is one "ERRO:" line saying why, with nothing in it that could drive the
// console's or the operator's display, and a value too large for a byte never wraps into range.
TEST(CommandParser, RefusesWithOneCleanErrorLine) {
  struct Row {
    std::string line, why;
  };
  // clang-format off
  const Row rows[] = {
      {"PING", "comando desconhecido \"PING\""},     {"\x01\x1B[BAD\xFF=1", "\"??[BAD?\""},
      {std::string(300, 'K'), std::string(24, 'K') + "...\""},
      {"ENCODE=1", "ENCODE não leva valor"},         {"PTY", "falta o valor"},
      {"PTY=1G", "não é hexadecimal"},               {"PTY=20", "fora do intervalo 00 a 1F"},
      {"PTY=10000000A", "fora do intervalo"},        {"GROUP4A=02", "deve ser 00 ou 01"},
      {"GROUP1A=-1", "não é hexadecimal"},           {"TIMEINPSN=", "não é hexadecimal"},
      {"TA=101", "deve ser 00 ou 01"},               {"TP=FF", "deve ser 00 ou 01"},
      {"MS=2", "deve ser 00 ou 01"},                 {"DI=10", "00 a 0F"},
      {"DI=  ", "00 a 0F"},                          {"DEF1ATIME=05-0A1E0", "DD+HHMM"},
      {"DEF1ATIME=00+0A1E", "dia fora do intervalo 1 a 31"},
      {"DEF1ATIME=FFFFFFFF+0A1E", "dia fora"},
      {"DEF1ATIME=05+180A", "hora fora do intervalo 0 a 23"},
      {"DEF1ATIME=05+0A3C", "minuto fora do intervalo 0 a 59"},
      {"TXT1=\"", "entre aspas"},                    {"PSN= \"x\"", "entre aspas"},
      {"TXT1=\"" + std::string(65, 'x') + "\"", "tem 65 caracteres, o máximo é 64"},
      {"TXT0=\"a\tb\"", "=\"a?b\": byte de controlo 0x09 na posição 2"},
      {std::string("PSN=\"a\0b\"", 9), "byte de controlo 0x00"},
      {"TXT0=\"x\x7F\"", "byte de controlo 0x7F"}};
  // clang-format on
  for (const Row& row : rows) {
    const ParseResult result = parseCommand(row.line);
    const auto* error = std::get_if<ParseError>(&result);
    ASSERT_TRUE(error) << row.line;
    EXPECT_TRUE(error->message.starts_with("ERRO: ")) << error->message;
    EXPECT_NE(error->message.find(row.why), std::string::npos) << error->message;
    for (char c : error->message) EXPECT_FALSE(c >= 0 && c < 0x20) << error->message;
  }
}

}  // namespace
}  // namespace orvane
