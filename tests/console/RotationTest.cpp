#include <gtest/gtest.h>

#include <algorithm>

#include "ConsoleHarness.h"
#include "Rotation.h"

namespace orvane {
namespace {

using test::ConsoleHarness;
using Commands = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;
using Texts = std::vector<std::pair<std::string, std::string>>;

struct QueuedPair {
  int tick;
  std::string first;
  std::string second;
};

std::size_t radiotextBatches(const ConsoleHarness& console) {
  std::size_t count = 0;
  for (const auto& commands : {console.sentCommands(), console.queuedCommands()}) {
    count += static_cast<std::size_t>(std::count_if(
        commands.begin(), commands.end(), [](auto& c) { return c.rfind("TXT0=", 0) == 0; }));
  }
  return count;
}

// Runs ticks with the rotation on and notes every pair it queues.
std::vector<QueuedPair> run(ConsoleHarness& console, int ticks) {
  std::vector<QueuedPair> pairs;
  console.state.autoRotate = 1;
  for (int tick = 1; tick <= ticks; ++tick) {
    const std::size_t before = radiotextBatches(console);
    console.ticks(1);
    if (radiotextBatches(console) > before) {
      pairs.push_back({tick, console.state.radioText1, console.state.radioText2});
    }
  }
  return pairs;
}

Texts texts(const std::vector<QueuedPair>& pairs) {
  Texts result;
  for (const auto& p : pairs) result.emplace_back(p.first, p.second);
  return result;
}

class RotationTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  ConsoleState& state = console.state;

  void SetUp() override { console.connect(); }
  std::vector<QueuedPair> run(int ticks) { return orvane::run(console, ticks); }
  void addEntries(Numbers numbers, std::int32_t dwell = 1) {
    for (const int n : numbers) console.list.add(n, std::to_string(n), dwell);
  }
};

TEST_F(RotationTest, WithoutUsableEntriesNothingIsQueuedAndTheTickEndsEarly) {
  console.window.transfersToWindow = 0;
  EXPECT_TRUE(run(3).empty());
  EXPECT_TRUE(state.sendQueue.empty());
  EXPECT_TRUE(console.window.messages.empty());
  EXPECT_EQ(state.rotateIndex, 1);
  EXPECT_EQ(console.window.transfersToWindow, 0);  // the window is not refreshed meanwhile
  EXPECT_EQ(console.list.lookups, (Numbers{0, 1, 1, 1, 1, 1}));

  ConsoleHarness empty;  // two found entries with empty texts end the cycle like a gap
  empty.connect();
  for (const auto& [n, text] : Texts{{"1", "a"}, {"2", "b"}, {"3", ""}, {"4", ""}}) {
    empty.list.add(std::stoi(n), text, 1);
  }
  const auto pairs = orvane::run(empty, 18);
  ASSERT_EQ(pairs.size(), 2U);
  EXPECT_EQ(pairs[1].tick, 18);  // tick 17 found only empty texts; tick 18 read (1, 2)
}

TEST_F(RotationTest, ASingleEntryIsSentWithAnEmptySecondLineAndItsOwnDwell) {
  console.list.add(1, "Bom dia", 2);
  state.radioText2 = "typed but never sent";
  ASSERT_EQ(run(1).size(), 1U);
  EXPECT_EQ(console.list.lookups, (Numbers{0, 1, 2}));
  EXPECT_EQ(console.queuedCommands(), (Commands{"TXT0=\"Bom dia\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.radioText1, "Bom dia");
  EXPECT_EQ(state.radioText2, "");
  EXPECT_EQ(state.rotateDwell, 30);
  EXPECT_EQ(state.rotateIndex, 1);

  const auto later = run(62);  // the same entry again, every 31 ticks
  ASSERT_EQ(later.size(), 2U);
  EXPECT_EQ(later[0].tick, 31);
  EXPECT_EQ(later[1].tick, 62);

  ConsoleHarness huge;  // order numbers and dwells at the limit neither overflow nor trap
  huge.state.rotateIndex = 2147483647;
  huge.list.add(2147483647, "last", 2147483647);
  ASSERT_EQ(orvane::run(huge, 1).size(), 1U);
  EXPECT_EQ(huge.state.rotateDwell, 2147483647);
  EXPECT_EQ(huge.state.rotateIndex, 1);
}

TEST_F(RotationTest, TheListIsWalkedInPairsUpToTheFirstMissingNumber) {
  struct Case {
    Numbers entries;
    Texts expected;  // pairs at ticks 1, 17, 33, 49 (dwell 15 + the tick that reads)
  };
  const std::vector<Case> cases = {
      {{1, 2, 3, 4}, {{"1", "2"}, {"3", "4"}, {"1", "2"}, {"3", "4"}}},
      {{1, 2, 3}, {{"1", "2"}, {"3", ""}, {"1", "2"}, {"3", ""}}},
      {{1, 2, 4, 5}, {{"1", "2"}, {"1", "2"}, {"1", "2"}, {"1", "2"}}},
      {{1, 2, 3, 5}, {{"1", "2"}, {"3", ""}, {"1", "2"}, {"3", ""}}},
      {{0, 1, 2, 3}, {{"0", "1"}, {"2", "3"}, {"1", "2"}, {"3", ""}}},  // 0 only at start-up
  };
  for (const Case& c : cases) {
    ConsoleHarness fresh;
    fresh.connect();
    for (const int n : c.entries) fresh.list.add(n, std::to_string(n), 1);
    const auto pairs = orvane::run(fresh, 49);
    EXPECT_EQ(texts(pairs), c.expected) << c.entries.size() << " entries from " << c.entries[0];
    ASSERT_EQ(pairs.size(), 4U);
    EXPECT_EQ(pairs[1].tick, 17);
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

TEST_F(RotationTest, AZeroOrNegativeDwellNeverLetsTheQueueGrowAndLetsTheOperatorLeave) {
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
}

TEST_F(RotationTest, ManualUpdatesRestartTheDwellOnlyTheTextUpdateStopsTheRotation) {
  addEntries({1, 2});
  run(10);
  console.core.updates().programmeUpdate();
  auto pairs = run(31);
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(pairs[0].tick, 16);  // a full 15 + 1 ticks from the update
  console.core.updates().specialUpdate();
  pairs = run(16);
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(pairs[0].tick, 16);
  console.core.updates().textUpdate();
  EXPECT_EQ(state.autoRotate, 0);
}

TEST_F(RotationTest, TurnedOffAndOnItResumesWhereItStopped) {
  addEntries({1, 2, 3, 4, 5, 6});
  run(1);  // (1, 2)
  state.autoRotate = 0;
  console.ticks(40);
  const auto pairs = run(16);  // counting goes on against the old dwell
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(pairs[0].tick, 16);
  EXPECT_EQ(pairs[0].first, "3");
}

TEST_F(RotationTest, ARotationBatchGoesBehindAManualOneAndLeavesTheButtonsAlone) {
  console.list.add(1, std::string(200, 'x'), 1);  // longer than a radiotext line
  console.core.updates().specialUpdate();
  console.window.calls.clear();
  run(1);
  EXPECT_EQ(
      console.queuedCommands(),
      (Commands{"TP=01", "MS=01", "TXT0=\"" + std::string(64, 'x') + "\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.radioText1, std::string(64, 'x'));
  for (const auto& call : console.window.calls) EXPECT_NE(call.rfind("enable", 0), 0U);
}

}  // namespace
}  // namespace orvane
