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

// "H:M" for a time read, otherwise why it was refused.
std::string scanned(const char* text) {
  const PinTime time = scanPinTime(text);
  if (time.result == PinTime::Result::outOfRange) return "range";
  if (time.result == PinTime::Result::badSyntax) return "syntax";
  return std::to_string(time.hour) + ":" + std::to_string(time.minute);
}

TEST(PinTimeScan, ReadsHourAndMinuteLikeTheConsoleAlwaysHas) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"00:00", "0:0"}, {"7:5", "7:5"}, {"23:59", "23:59"}, {"  9: 15", "9:15"},
      {"10:30 e mais", "10:30"}, {"+1:+2", "1:2"}, {"24:00", "range"}, {"12:60", "range"},
      {"-1:00", "range"}, {"00:-5", "range"}, {"99999999999:00", "range"}, {"12.30", "syntax"},
      {"", "syntax"}, {"9 :15", "syntax"}, {"12:", "syntax"}, {":30", "syntax"},
      {"ab:cd", "syntax"}, {"12:-", "syntax"}};
  // clang-format on
  for (const auto& [text, read] : cases) EXPECT_EQ(scanned(text), read) << '"' << text << '"';
}

}  // namespace
}  // namespace orvane
