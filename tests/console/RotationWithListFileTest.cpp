// The rotation against the real list file: each due tick reads RDSTXT.TXT afresh, so what the
// editor saves between two due ticks is what goes on air next.
#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "RadiotextListFile.h"
#include "TempDir.h"

namespace orvane {
namespace {

TEST(RotationWithListFile, PairsComeFromTheFileAsLastSavedInWhateverLetterCase) {
  test::TempDir folder;
  test::FakeConsoleWindow window;
  test::FakeEncoderLink link;
  RadiotextListFile list{folder.path()};
  ConsoleCore core{window, link, list};
  ConsoleState& state = core.state();
  state.autoRotate = 1;

  core.tick().onTick();  // no file yet: nothing, quietly
  EXPECT_TRUE(state.sendQueue.empty());

  folder.write("Rdstxt.txt", "[1][1]Bom dia\r\n[2][2]Caf\xE9 quente \r\n[3][1]tres\r\n");
  core.tick().onTick();
  EXPECT_EQ(state.radioText1, "Bom dia");
  EXPECT_EQ(state.radioText2, "Caf\xE9 quente ");
  EXPECT_EQ(state.rotateDwell, 30);

  folder.write("Rdstxt.txt", "[3][1]novo tres\r\n[4][1]novo quatro\r\n");
  for (int i = 0; i < 31; ++i) core.tick().onTick();
  EXPECT_EQ(state.radioText1, "novo tres");
  EXPECT_EQ(state.radioText2, "novo quatro");
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace orvane
