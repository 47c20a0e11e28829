#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "ConsoleHarness.h"
#include "Rotation.h"

namespace orvane {
namespace {

using test::ConsoleHarness;
using Commands = std::vector<std::string>;
using Entries = std::vector<std::tuple<std::int32_t, std::string, std::int32_t>>;

std::size_t radiotextBatches(const ConsoleHarness& console) {
  std::size_t count = 0;
  for (const auto& commands : {console.sentCommands(), console.queuedCommands()}) {
    count += static_cast<std::size_t>(std::count_if(
        commands.begin(), commands.end(), [](auto& c) { return c.rfind("TXT0=", 0) == 0; }));
  }
  return count;
}

// Runs ticks with the rotation on; gives every pair it queued as "tick:first,second".
std::string rotate(ConsoleHarness& console, int ticks) {
  std::string pairs;
  console.state.autoRotate = 1;
  for (int tick = 1; tick <= ticks; ++tick) {
    const std::size_t before = radiotextBatches(console);
    console.ticks(1);
    if (radiotextBatches(console) > before) {
      pairs += (pairs.empty() ? "" : " ") + std::to_string(tick) + ":" + console.state.radioText1 +
               "," + console.state.radioText2;
    }
  }
  return pairs;
}

// Entries whose texts are their order numbers, each for one dwell unit.
Entries numbered(std::initializer_list<std::int32_t> numbers) {
  Entries entries;
  for (const std::int32_t n : numbers) entries.emplace_back(n, std::to_string(n), 1);
  return entries;
}

class RotationTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  ConsoleState& state = console.state;

  void SetUp() override { console.connect(); }
};

// A pair is read on the tick after its predecessor's dwell (15 ticks a unit) has run out.
TEST_F(RotationTest, TheListIsWalkedInPairsUpToTheFirstMissingNumberOrEmptyPair) {
  const std::tuple<Entries, int, std::string> cases[] = {
      {numbered({1, 2, 3, 4}), 49, "1:1,2 17:3,4 33:1,2 49:3,4"},
      {numbered({1, 2, 3}), 49, "1:1,2 17:3, 33:1,2 49:3,"},
      {numbered({1, 2, 4, 5}), 49, "1:1,2 17:1,2 33:1,2 49:1,2"},
      {numbered({1, 2, 3, 5}), 49, "1:1,2 17:3, 33:1,2 49:3,"},
      {numbered({0, 1, 2, 3}), 49, "1:0,1 17:2,3 33:1,2 49:3,"},  // 0 only at start-up
      {{}, 3, ""},
      {{{1, "Bom dia", 2}}, 63, "1:Bom dia, 32:Bom dia, 63:Bom dia,"},
      // Found but empty, the pair (3, 4) ends the cycle at once: (1, 2) comes a tick later.
      {{{1, "a", 1}, {2, "b", 1}, {3, "", 1}, {4, "", 1}}, 18, "1:a,b 18:a,b"},
  };
  for (const auto& [entries, ticks, pairs] : cases) {
    ConsoleHarness fresh;
    fresh.connect();
    for (const auto& [n, text, dwell] : entries) fresh.list.add(n, text, dwell);
    EXPECT_EQ(rotate(fresh, ticks), pairs);
    EXPECT_TRUE(fresh.window.messages.empty());
  }
}

TEST_F(RotationTest, TheDwellIsTheLargerTmsAndTheCountdownRunsDownToIt) {
  console.list.add(1, "a", 2);
  console.list.add(2, "b", 4);
  std::vector<std::int32_t> shown;
  state.autoRotate = 1;
  for (int tick = 0; tick < 62; ++tick) {
    console.ticks(1);
    shown.push_back(state.rotateCountdown);
  }
  EXPECT_EQ(shown[0], 0);
  EXPECT_EQ(shown[1], 60);
  EXPECT_EQ(shown[60], 1);
  EXPECT_EQ(shown[61], 0);  // the tick that reads the next pair, 61 ticks after the first
  EXPECT_EQ(radiotextBatches(console), 2U);
}

TEST_F(RotationTest, NoDwellOrOrderNumberLetsTheQueueGrowOrTheArithmeticOverflow) {
  for (const std::int32_t dwell : {0, -3, -2147483647}) {
    ConsoleHarness zero;
    zero.connect();
    zero.list.add(1, "a", dwell);
    zero.list.add(2, "b", dwell);
    zero.state.autoRotate = 1;
    std::size_t longestQueue = 0;
    int idleTicks = 0;
    for (int tick = 0; tick < 200; ++tick) {
      zero.ticks(1);
      longestQueue = std::max(longestQueue, zero.queuedCommands().size());
      if (zero.state.busy == 0) ++idleTicks;
      EXPECT_EQ(zero.state.rotateCountdown, 0) << dwell;
    }
    EXPECT_LE(longestQueue, 3U) << dwell;
    EXPECT_GT(idleTicks, 0) << dwell;                 // "Sair do programa" gets its chance
    EXPECT_GT(zero.link.sent.size(), 100U) << dwell;  // and the rotation still goes on
  }
  ConsoleHarness huge;
  huge.state.rotateIndex = 2147483647;
  huge.list.add(2147483647, "last", 2147483647);
  EXPECT_EQ(rotate(huge, 1), "1:last,");
  EXPECT_EQ(huge.state.rotateDwell, 2147483647);
}

TEST_F(RotationTest, ManualUpdatesRestartTheDwellAndTurnedOffItResumesWhereItStopped) {
  for (const auto& [n, text, dwell] : numbered({1, 2, 3, 4, 5, 6, 7, 8}))
    console.list.add(n, text, dwell);
  EXPECT_EQ(rotate(console, 10), "1:1,2");
  console.core.updates().programmeUpdate();
  EXPECT_EQ(rotate(console, 31), "16:3,4");  // a full 15 + 1 ticks from the update
  console.core.updates().specialUpdate();
  EXPECT_EQ(rotate(console, 16), "16:5,6");
  state.autoRotate = 0;
  console.ticks(40);
  EXPECT_EQ(rotate(console, 16), "16:7,8");  // counting goes on against the old dwell
  console.core.updates().textUpdate();
  EXPECT_EQ(state.autoRotate, 0);
}

TEST_F(RotationTest, ARotationBatchGoesBehindAManualOneAndLeavesTheButtonsAlone) {
  console.list.add(1, std::string(200, 'x'), 1);  // longer than a radiotext line
  state.radioText2 = "typed but never sent";
  console.core.updates().specialUpdate();
  console.window.enabled.clear();
  rotate(console, 1);
  EXPECT_EQ(
      console.queuedCommands(),
      (Commands{"TP=01", "MS=01", "TXT0=\"" + std::string(64, 'x') + "\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.radioText1 + "|" + state.radioText2, std::string(64, 'x') + "|");
  EXPECT_TRUE(console.window.enabled.empty());
}

}  // namespace
}  // namespace orvane
