#include <gtest/gtest.h>

#include <cstdio>

#include "FixedDigits.h"

namespace orvane {
namespace {

// The log's lines were written with printf, and scripts read them: every width and sign must
// come out as printf made them.
TEST(FixedDigits, WriteWhatPrintfWrote) {
  char expected[32];
  for (int width : {0, 1, 2, 4}) {
    for (unsigned value : {0u, 1u, 0x0Au, 0x1Fu, 0xABCu, 0xFFFFu, 0x12345u}) {
      std::snprintf(expected, sizeof expected, "%0*X", width, value);
      EXPECT_EQ(hexDigits(value, width), expected) << value << " in " << width;
    }
    for (int value : {0, 7, 10, 59, 99, 100, 2026, -1, -12}) {
      std::snprintf(expected, sizeof expected, "%0*d", width, value);
      EXPECT_EQ(decimalDigits(value, width), expected) << value << " in " << width;
    }
  }
}

}  // namespace
}  // namespace orvane
