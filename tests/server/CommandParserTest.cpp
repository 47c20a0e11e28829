#include <gtest/gtest.h>

#include <random>

#include "CommandParser.h"

namespace orvane {
namespace {

struct Accepted {
  std::string line;
  Keyword keyword;
  int number = 0;
  ProgrammeItemTime time = {};
  std::string text = {};
};

// Names a row by (the start of) its line, so a failing case reads as the command that failed.
std::string shortName(const std::string& line) {
  return testing::PrintToString(line.substr(0, 32));
}
void PrintTo(const Accepted& row, std::ostream* out) {
  *out << shortName(row.line);
}

class ParserAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(ParserAccepts, WhatTheConsoleSends) {
  const Accepted& row = GetParam();
  const ParseResult result = parseCommand(row.line);
  ASSERT_TRUE(std::holds_alternative<Command>(result)) << std::get<ParseError>(result).message;
  const auto& command = std::get<Command>(result);
  EXPECT_EQ(command.keyword, row.keyword);
  EXPECT_EQ(command.number, row.number);
  EXPECT_EQ(command.time, row.time);
  EXPECT_EQ(command.text, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, ParserAccepts,
    testing::Values(
        Accepted{"PTY=00", Keyword::Pty, 0}, Accepted{"PTY=1F", Keyword::Pty, 31},
        Accepted{"PTY=0a", Keyword::Pty, 10}, Accepted{"GROUP4A=01", Keyword::Group4A, 1},
        Accepted{"TIMEINPSN=01", Keyword::TimeInPsn, 1}, Accepted{"TA=01", Keyword::Ta, 1},
        Accepted{"MS=01", Keyword::Ms, 1}, Accepted{"ENCODE", Keyword::Encode},
        Accepted{"DEF1ATIME=05+0A1E", Keyword::Def1ATime, 0, {5, 10, 30}},
        Accepted{"DEF1ATIME=1F+173B", Keyword::Def1ATime, 0, {31, 23, 59}},
        Accepted{"DI=07", Keyword::Di, 7}, Accepted{"DI=0F", Keyword::Di, 15},
        Accepted{"DI= 3", Keyword::Di, 3},  // a code from the settings file keeps its blank
        Accepted{"DI=\t 00", Keyword::Di, 0},
        Accepted{"TXT0=\"Bom dia\"", Keyword::Txt0, 0, {}, "Bom dia"},
        Accepted{"TXT1=\"\"", Keyword::Txt1, 0, {}, ""},
        Accepted{"TXT0=\"Diz \"sim\" \"", Keyword::Txt0, 0, {}, "Diz \"sim\" "},
        Accepted{"TXT1=\"M\xFAsica \x80\"", Keyword::Txt1, 0, {}, "M\xFAsica \x80"},
        Accepted{
            "TXT0=\"" + std::string(64, 'x') + "\"", Keyword::Txt0, 0, {}, std::string(64, 'x')},
        Accepted{"PSN=\"\"\"", Keyword::Psn, 0, {}, "\""},
        Accepted{
            "PSN=\"" + std::string(200, 'P') + "\"", Keyword::Psn, 0, {}, std::string(200, 'P')}));

struct Rejected {
  std::string line;
  std::string why;  // must appear in the error message
};

void PrintTo(const Rejected& row, std::ostream* out) {
  *out << shortName(row.line);
}

class ParserRejects : public testing::TestWithParam<Rejected> {};

TEST_P(ParserRejects, WithOneErrorLine) {
  const ParseResult result = parseCommand(GetParam().line);
  ASSERT_TRUE(std::holds_alternative<ParseError>(result)) << GetParam().line;
  const std::string& message = std::get<ParseError>(result).message;
  EXPECT_EQ(message.rfind("ERRO: ", 0), 0u) << message;
  EXPECT_NE(message.find(GetParam().why), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    UnknownOrMalformed, ParserRejects,
    testing::Values(Rejected{"PING", "comando desconhecido \"PING\""},
                    Rejected{"pty=01", "comando desconhecido \"pty\""},
                    Rejected{"PTY =01", "comando desconhecido \"PTY \""},
                    Rejected{"\x01\x02"
                             "BAD\xFF=1",
                             "\"??BAD?\""},
                    Rejected{std::string(300, 'K'), std::string(24, 'K') + "...\""},
                    Rejected{"ENCODE=1", "ENCODE não leva valor"}, Rejected{"PTY", "falta o valor"},
                    Rejected{"TXT0", "falta o valor"}));

INSTANTIATE_TEST_SUITE_P(
    HexBytesOutOfRange, ParserRejects,
    testing::Values(Rejected{"PTY=", "não é hexadecimal"}, Rejected{"PTY=1G", "não é hexadecimal"},
                    Rejected{"PTY= 05", "não é hexadecimal"},
                    Rejected{"PTY=20", "fora do intervalo 00 a 1F"},
                    Rejected{"PTY=FFFFFFFF", "fora do intervalo"},
                    Rejected{"PTY=10000000A", "fora do intervalo"},  // must not wrap to 0A
                    Rejected{"TA=02", "deve ser 00 ou 01"}, Rejected{"MS=101", "deve ser 00 ou 01"},
                    Rejected{"GROUP1A=-1", "não é hexadecimal"}, Rejected{"DI=10", "00 a 0F"},
                    Rejected{"DI=", "00 a 0F"}, Rejected{"DI=  ", "00 a 0F"},
                    Rejected{"DI=3 ", "00 a 0F"}, Rejected{"DI=0x3", "00 a 0F"}));

INSTANTIATE_TEST_SUITE_P(
    ProgrammeItemTimes, ParserRejects,
    testing::Values(
        Rejected{"DEF1ATIME=00+0A1E", "dia fora do intervalo 1 a 31"},
        Rejected{"DEF1ATIME=20+0A1E", "dia fora"}, Rejected{"DEF1ATIME=FFFFFFFF+0A1E", "dia fora"},
        Rejected{"DEF1ATIME=05+180A", "hora fora do intervalo 0 a 23"},
        Rejected{"DEF1ATIME=05+0A3C", "minuto fora do intervalo 0 a 59"},
        Rejected{"DEF1ATIME=05-0A1E", "DD+HHMM"}, Rejected{"DEF1ATIME=05+0A1", "DD+HHMM"},
        Rejected{"DEF1ATIME=05+0A1E0", "DD+HHMM"}, Rejected{"DEF1ATIME=+0A1E", "DD+HHMM"},
        Rejected{"DEF1ATIME=05+ZZ1E", "DD+HHMM"}));

INSTANTIATE_TEST_SUITE_P(
    Texts, ParserRejects,
    testing::Values(Rejected{"TXT0=abc", "entre aspas"}, Rejected{"TXT0=\"abc", "entre aspas"},
                    Rejected{"TXT1=\"", "entre aspas"}, Rejected{"PSN= \"x\"", "entre aspas"},
                    Rejected{"TXT1=\"" + std::string(65, 'x') + "\"",
                             "tem 65 caracteres, o máximo é 64"},
                    Rejected{"TXT0=\"a\tb\"", "byte de controlo 0x09 na posição 2"},
                    Rejected{std::string("TXT0=\"a\0b\"", 10), "byte de controlo 0x00"},
                    Rejected{"PSN=\"\x1B[2J\"", "byte de controlo 0x1B"},
                    Rejected{"PSN=\"x\x7F\"", "byte de controlo 0x7F"}));

// Whatever arrives, the answer is one clean error line: nothing the client sent that could drive
// the console's or the operator's display comes back.
TEST(ParserRejects, ArbitraryBytesGiveCleanSingleLineErrors) {
  std::mt19937 random(1234);
  for (int round = 0; round < 20000; ++round) {
    std::string line(random() % 40, '\0');
    for (char& c : line) c = static_cast<char>(random() % 256);
    if (round % 2 == 0) line.insert(0, round % 4 == 0 ? "TXT0=" : "DEF1ATIME=");
    const ParseResult result = parseCommand(line);
    if (const auto* error = std::get_if<ParseError>(&result)) {
      for (char c : error->message) ASSERT_FALSE(c >= 0 && c < 0x20) << error->message;
    }
  }
}

}  // namespace
}  // namespace orvane
