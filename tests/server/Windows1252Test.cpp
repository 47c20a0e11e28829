#include <gtest/gtest.h>

#include "Cp1252.h"
#include "Windows1252.h"

namespace orvane {
namespace {

// The console's converter is the project's reference for the code page; the two must agree on
// every byte, except that the server masks the undefined ones rather than emit C1 controls.
TEST(Windows1252, AgreesWithTheConsoleOnEveryDefinedByte) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    EXPECT_EQ(utf8FromWindows1252(byte), undefined ? "\uFFFD" : utf8FromCp1252(byte)) << b;
  }
}

TEST(Windows1252, EncodesTheRepliesAndMarksWhatTheCodePageLacks) {
  EXPECT_EQ(windows1252FromUtf8("não é € “x”"), "n\xE3o \xE9 \x80 \x93x\x94");
  EXPECT_EQ(windows1252FromUtf8("a∞b\uFFFD\xC3"), "a?b??");
}

}  // namespace
}  // namespace orvane
