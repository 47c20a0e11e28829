#include <gtest/gtest.h>

#include "CommandFormat.h"
#include "PinTimeScan.h"

namespace orvane {
namespace {

// The batches' own tests check the usual commands; these are the values they never produce.
TEST(CommandFormat, OddValuesLeaveAsTheRecordHoldsThem) {
  EXPECT_EQ(programmeTypeCommand(31), "PTY=1F");
  EXPECT_EQ(pinTimeCommand(4294967295U, 23, 59), "DEF1ATIME=FFFFFFFF+173B");
  EXPECT_EQ(radioText0Command("a\"b\xE7"), "TXT0=\"a\"b\xE7\"");  // nothing escaped
  EXPECT_EQ(decoderIdCommand(" 3"), "DI= 3");
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
