#include <gtest/gtest.h>

#include "CommandFormat.h"
#include "PinTimeScan.h"

namespace orvane {
namespace {

TEST(CommandFormat, HexValuesAreUpperCaseAndPaddedToTwoDigits) {
  EXPECT_EQ(programmeTypeCommand(0), "PTY=00");
  EXPECT_EQ(programmeTypeCommand(31), "PTY=1F");
  EXPECT_EQ(group4ACommand(1), "GROUP4A=01");
  EXPECT_EQ(group1ACommand(0), "GROUP1A=00");
  EXPECT_EQ(timeInPsCommand(1), "TIMEINPSN=01");
  EXPECT_EQ(trafficAnnouncementCommand(0), "TA=00");
  EXPECT_EQ(trafficProgrammeCommand(1), "TP=01");
  EXPECT_EQ(musicSpeechCommand(1), "MS=01");
}

TEST(CommandFormat, ProgrammeItemTimeIsThreeHexBytes) {
  EXPECT_EQ(pinTimeCommand(5, 10, 30), "DEF1ATIME=05+0A1E");
  EXPECT_EQ(pinTimeCommand(31, 7, 5), "DEF1ATIME=1F+0705");
  EXPECT_EQ(pinTimeCommand(1, 23, 59), "DEF1ATIME=01+173B");
  // A day the window refused still leaves as the record holds it, wider than two digits.
  EXPECT_EQ(pinTimeCommand(4294967295U, 0, 0), "DEF1ATIME=FFFFFFFF+0000");
}

TEST(CommandFormat, TextsAreQuotedAndSentByteForByte) {
  EXPECT_EQ(radioText0Command("Bom dia"), "TXT0=\"Bom dia\"");
  EXPECT_EQ(radioText1Command(""), "TXT1=\"\"");
  EXPECT_EQ(psNameCommand("RADIO"), "PSN=\"RADIO\"");
  // Quotes inside are not escaped and code-page bytes pass unchanged.
  EXPECT_EQ(radioText0Command("a\"b\xE7"), "TXT0=\"a\"b\xE7\"");
  EXPECT_EQ(decoderIdCommand(" 3"), "DI= 3");
  EXPECT_EQ(radioText0Command(std::string(64, 'x')).size(), 71U);
}

struct PinTimeCase {
  const char* text;
  PinTime::Result result;
  int hour = 0;
  int minute = 0;
};

class PinTimeScanTest : public ::testing::TestWithParam<PinTimeCase> {};

TEST_P(PinTimeScanTest, ReadsHourAndMinuteLikeTheConsoleAlwaysHas) {
  const PinTimeCase& c = GetParam();
  const PinTime time = scanPinTime(c.text);
  EXPECT_EQ(time.result, c.result) << '"' << c.text << '"';
  if (c.result == PinTime::Result::valid) {
    EXPECT_EQ(time.hour, c.hour);
    EXPECT_EQ(time.minute, c.minute);
  }
}

using R = PinTime::Result;
INSTANTIATE_TEST_SUITE_P(
    Table, PinTimeScanTest,
    ::testing::Values(
        PinTimeCase{"00:00", R::valid, 0, 0}, PinTimeCase{"7:5", R::valid, 7, 5},
        PinTimeCase{"23:59", R::valid, 23, 59}, PinTimeCase{"  9: 15", R::valid, 9, 15},
        PinTimeCase{"10:30 e mais", R::valid, 10, 30}, PinTimeCase{"+1:+2", R::valid, 1, 2},
        PinTimeCase{"24:00", R::outOfRange}, PinTimeCase{"12:60", R::outOfRange},
        PinTimeCase{"-1:00", R::outOfRange}, PinTimeCase{"00:-5", R::outOfRange},
        PinTimeCase{"99999999999:00", R::outOfRange}, PinTimeCase{"12.30", R::badSyntax},
        PinTimeCase{"", R::badSyntax}, PinTimeCase{"9 :15", R::badSyntax},
        PinTimeCase{"12:", R::badSyntax}, PinTimeCase{":30", R::badSyntax},
        PinTimeCase{"ab:cd", R::badSyntax}, PinTimeCase{"12:-", R::badSyntax}));

}  // namespace
}  // namespace orvane
