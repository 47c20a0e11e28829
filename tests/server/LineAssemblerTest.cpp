#include <gtest/gtest.h>

#include "LineAssembler.h"

namespace orvane {
namespace {

using Lines = std::vector<std::string>;
constexpr std::size_t kMax = LineAssembler::kMaxLineLength;

// "L:text" for a line, "OVERLONG" for a line that passed the bound.
Lines feedAll(LineAssembler& assembler, const Lines& chunks) {
  Lines seen;
  for (const auto& chunk : chunks) {
    for (const auto& piece : assembler.feed(chunk)) {
      seen.push_back(piece.kind == LineAssembler::Piece::Kind::Line ? "L:" + piece.text
                                                                    : "OVERLONG");
    }
  }
  return seen;
}

Lines feedAll(const Lines& chunks) {
  LineAssembler assembler;
  return feedAll(assembler, chunks);
}

TEST(LineAssembler, CutsLinesWhateverTheChunkingAndDropsOnlyTheCrBeforeTheLf) {
  EXPECT_EQ(feedAll({"PTY=0", "A\nTA=01\nEN", "CODE\r", "\n\n"}),
            (Lines{"L:PTY=0A", "L:TA=01", "L:ENCODE", "L:"}));
  EXPECT_EQ(feedAll({"A\rB\n\r\r\n"}), (Lines{"L:A\rB", "L:\r"}));
  EXPECT_EQ(feedAll({std::string("T\0\xFF\n", 4)}), Lines{"L:" + std::string("T\0\xFF", 3)});
}

TEST(LineAssembler, HoldsALineAtTheBoundAndReportsOneBeyondItOnce) {
  const std::string full(kMax, 'x');
  EXPECT_EQ(feedAll({full + "\n", full + "\r\n"}), (Lines{"L:" + full, "L:" + full}));
  EXPECT_EQ(feedAll({full + "x\nTA=01\n"}), (Lines{"OVERLONG", "L:TA=01"}));
  EXPECT_EQ(feedAll({full + "\r\r\nTA=01\n"}), (Lines{"OVERLONG", "L:TA=01"}));
}

TEST(LineAssembler, AnEndlessLineIsReportedAtTheBoundNotAtItsEnd) {
  LineAssembler assembler;
  EXPECT_EQ(feedAll(assembler, {std::string(4096, 'A')}), Lines{"OVERLONG"});
  for (int i = 0; i < 1000; ++i) EXPECT_TRUE(feedAll(assembler, {std::string(4096, 'A')}).empty());
  EXPECT_TRUE(assembler.midLine());
  EXPECT_EQ(feedAll(assembler, {"same line\nMS=00\n"}), Lines{"L:MS=00"});
  EXPECT_FALSE(assembler.midLine());
}

}  // namespace
}  // namespace orvane
