#include <gtest/gtest.h>

#include "Cp1252.h"

namespace orvane {
namespace {

// The Qt boundary's tests cover the byte table; these cover the UTF-8 side used for literals.
TEST(Cp1252, Utf8TextBecomesTheCodePagesBytesAndBack) {
  EXPECT_EQ(pt("Informação € “x”"), "Informa\xE7\xE3o \x80 \x93x\x94");
  bool lossless = true;
  EXPECT_EQ(cp1252FromUtf8("a\xE2\x88\x9E"
                           "b\xC3",
                           &lossless),
            "a?b?");  // ∞, then a cut sequence
  EXPECT_FALSE(lossless);
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(cp1252FromUtf8(utf8FromCp1252(all), &lossless), all);
  EXPECT_TRUE(lossless);
}

}  // namespace
}  // namespace orvane
