// The rotation against the real list file: each due tick reads RDSTXT.TXT afresh, so what the
// editor saves between two due ticks is what goes on air next.
#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "RadiotextListFile.h"
#include "TempDir.h"

namespace orvane {
namespace {

using Commands = std::vector<std::string>;

class RotationWithListFile : public ::testing::Test {
 protected:
  test::TempDir folder;
  test::FakeConsoleWindow window;
  test::FakeEncoderLink link;
  RadiotextListFile list{folder.path()};
  ConsoleCore core{window, link, list};
  ConsoleState& state = core.state();

  void SetUp() override {
    applyStartupValues(state);
    core.resetRotation();
    state.autoRotate = 1;
  }
  void tick() { core.tick().onTick(); }
};

TEST_F(RotationWithListFile, PairsComeFromTheFileAsWrittenOnTheWorkstation) {
  folder.write("RDSTXT.TXT", "[1][1]Bom dia\r\n[2][2]Caf\xE9 quente \r\n");
  tick();
  EXPECT_EQ(state.radioText1, "Bom dia");
  EXPECT_EQ(state.radioText2, "Caf\xE9 quente ");
  EXPECT_EQ(state.rotateDwell, 30);
}

TEST_F(RotationWithListFile, AListSavedBetweenTwoDueTicksIsReadAtTheNext) {
  folder.write("RDSTXT.TXT", "[1][1]um\r\n[2][1]dois\r\n[3][1]tres\r\n[4][1]quatro\r\n");
  tick();
  EXPECT_EQ(state.radioText1, "um");
  folder.write("RDSTXT.TXT", "[3][1]novo tres\r\n[4][1]novo quatro\r\n");
  for (int i = 0; i < 16; ++i) tick();
  EXPECT_EQ(state.radioText1, "novo tres");
  EXPECT_EQ(state.radioText2, "novo quatro");
}

TEST_F(RotationWithListFile, AMissingOrEmptyFileQueuesNothingAndShowsNothing) {
  tick();
  EXPECT_TRUE(state.sendQueue.empty());
  folder.write("rdstxt.txt", "");  // another letter case, copied from Windows
  tick();
  EXPECT_TRUE(state.sendQueue.empty());
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(state.rotateIndex, 1);
}

TEST_F(RotationWithListFile, AFileInAnotherLetterCaseIsFound) {
  folder.write("Rdstxt.txt", "[1][1]encontrado\n");
  tick();
  EXPECT_EQ(state.radioText1, "encontrado");
}

}  // namespace
}  // namespace orvane
