#include <gtest/gtest.h>

#include "Cp1252.h"

namespace orvane {
namespace {

TEST(Cp1252, PortugueseLettersBecomeSingleBytes) {
  EXPECT_EQ(pt("Emissão"), "Emiss\xE3o");
  EXPECT_EQ(pt("Música Pop"), "M\xFAsica Pop");
  EXPECT_EQ(pt("Informação"), "Informa\xE7\xE3o");
}

TEST(Cp1252, EuroAndTypographicQuotesUseTheHighControlRange) {
  EXPECT_EQ(cp1252FromUtf8("€ “x” ‘y’"), "\x80 \x93x\x94 \x91y\x92");
  EXPECT_EQ(utf8FromCp1252("\x80\x93\x94"), "€“”");
}

TEST(Cp1252, CharactersOutsideTheCodePageAreReplacedAndReported) {
  bool lossless = true;
  EXPECT_EQ(cp1252FromUtf8("a\xE2\x88\x9E"
                           "b",
                           &lossless),
            "a?b");  // infinity sign
  EXPECT_FALSE(lossless);
  EXPECT_EQ(cp1252FromUtf8("\xC3", &lossless), "?");  // truncated sequence
  EXPECT_FALSE(lossless);
  EXPECT_EQ(cp1252FromUtf8("plain", &lossless), "plain");
  EXPECT_TRUE(lossless);
}

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  bool lossless = false;
  EXPECT_EQ(cp1252FromUtf8(utf8FromCp1252(all), &lossless), all);
  EXPECT_TRUE(lossless);
}

}  // namespace
}  // namespace orvane
