#include <gtest/gtest.h>

#include <algorithm>

#include "ConsoleHarness.h"
#include "Rotation.h"

namespace orvane {
namespace {

using test::ConsoleHarness;
using Commands = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;

struct QueuedPair {
  int tick;
  std::string first;
  std::string second;
};

// How many rotation (or text) batches have been queued so far, sent or not.
std::size_t radiotextBatches(const ConsoleHarness& console) {
  std::size_t count = 0;
  for (const auto& commands : {console.sentCommands(), console.queuedCommands()}) {
    count += static_cast<std::size_t>(
        std::count_if(commands.begin(), commands.end(),
                      [](const std::string& c) { return c.rfind("TXT0=", 0) == 0; }));
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

using Texts = std::vector<std::pair<std::string, std::string>>;

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

  void addEntries(int from, int to, std::int32_t dwell = 1) {
    for (int n = from; n <= to; ++n) console.list.add(n, "texto " + std::to_string(n), dwell);
  }
};

TEST_F(RotationTest, WithoutUsableEntriesNothingIsQueuedAndTheTickEndsEarly) {
  state.rotateCountdown = 1;
  console.window.transfersToWindow = 0;
  EXPECT_TRUE(run(3).empty());
  EXPECT_TRUE(state.sendQueue.empty());
  EXPECT_TRUE(console.window.messages.empty());
  EXPECT_EQ(state.rotateIndex, 1);
  EXPECT_EQ(console.window.transfersToWindow, 0);  // the window is not refreshed meanwhile
  EXPECT_EQ(console.list.lookups, (Numbers{0, 1, 1, 1, 1, 1}));
}

TEST_F(RotationTest, ASingleEntryIsSentWithAnEmptySecondLine) {
  console.list.add(1, "Bom dia", 2);
  state.radioText2 = "typed but never sent";
  const auto pairs = run(1);
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(console.list.lookups, (Numbers{0, 1, 2}));
  EXPECT_EQ(console.queuedCommands(), (Commands{"TXT0=\"Bom dia\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.radioText1, "Bom dia");
  EXPECT_EQ(state.radioText2, "");
  EXPECT_EQ(state.rotateDwell, 30);
  EXPECT_EQ(state.rotateIndex, 1);
  EXPECT_EQ(state.busy, 1);

  const auto later = run(62);  // the same entry every 31 ticks
  ASSERT_EQ(later.size(), 2U);
  EXPECT_EQ(later[0].tick, 31);
  EXPECT_EQ(later[1].tick, 62);
  EXPECT_EQ(later[1].first, "Bom dia");
}

TEST_F(RotationTest, AnEvenListIsWalkedInPairsAndStartsAgain) {
  addEntries(1, 4);  // TMS 1 each: 15 ticks on air, the next pair read on the 16th
  const auto pairs = run(33);
  EXPECT_EQ(texts(pairs),
            (Texts{{"texto 1", "texto 2"}, {"texto 3", "texto 4"}, {"texto 1", "texto 2"}}));
  EXPECT_EQ(pairs[1].tick - pairs[0].tick, 16);
}

TEST_F(RotationTest, AnOddListEndsItsCycleWithTheLastEntryAlone) {
  addEntries(1, 3);
  EXPECT_EQ(
      texts(run(49)),
      (Texts{{"texto 1", "texto 2"}, {"texto 3", ""}, {"texto 1", "texto 2"}, {"texto 3", ""}}));
}

TEST_F(RotationTest, TheRotationNeverPassesTheFirstMissingNumber) {
  for (const int n : {1, 2, 4, 5}) console.list.add(n, std::to_string(n), 1);
  EXPECT_EQ(texts(run(33)), (Texts{{"1", "2"}, {"1", "2"}, {"1", "2"}}));

  ConsoleHarness gap;
  gap.connect();
  for (const int n : {1, 2, 3, 5}) gap.list.add(n, std::to_string(n), 1);
  EXPECT_EQ(texts(orvane::run(gap, 49)), (Texts{{"1", "2"}, {"3", ""}, {"1", "2"}, {"3", ""}}));
}

TEST_F(RotationTest, AnEntryNumberedZeroIsOnlySeenInTheFirstCycle) {
  addEntries(0, 3);
  EXPECT_EQ(texts(run(33)),
            (Texts{{"texto 0", "texto 1"}, {"texto 2", "texto 3"}, {"texto 1", "texto 2"}}));
}

TEST_F(RotationTest, TwoEmptyTextsEndTheCycleLikeAMissingNumber) {
  console.list.add(1, "a", 1);
  console.list.add(2, "b", 1);
  console.list.add(3, "", 1);
  console.list.add(4, "", 1);
  const auto pairs = run(18);
  ASSERT_EQ(pairs.size(), 2U);
  EXPECT_EQ(pairs[0].tick, 1);
  EXPECT_EQ(pairs[1].tick, 18);  // tick 17 found only empty texts; tick 18 read (1, 2)
  EXPECT_EQ(pairs[1].first, "a");
}

TEST_F(RotationTest, TheDwellIsTheLargerTmsTimesFifteenPlusTheTickThatReads) {
  console.list.add(1, "a", 2);
  console.list.add(2, "b", 4);
  const auto pairs = run(62);
  ASSERT_EQ(pairs.size(), 2U);
  EXPECT_EQ(pairs[1].tick - pairs[0].tick, 61);
}

TEST_F(RotationTest, TheCountdownShowsZeroThenTheDwellDownToOne) {
  console.list.add(1, "a", 1);
  console.list.add(2, "b", 1);
  state.autoRotate = 1;
  std::vector<std::int32_t> shown;
  for (int tick = 0; tick < 32; ++tick) {
    console.ticks(1);
    shown.push_back(state.rotateCountdown);
  }
  EXPECT_EQ(shown.front(), 0);
  EXPECT_EQ(shown[1], 15);
  EXPECT_EQ(shown[15], 1);
  EXPECT_EQ(shown[16], 0);
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
    const auto sent = zero.link.sent.size();
    EXPECT_LE(longestQueue, 3U) << dwell;
    EXPECT_GT(idleTicks, 0) << dwell;  // "Sair do programa" gets its chance
    EXPECT_GT(sent, 100U) << dwell;    // and the rotation still goes on
  }
}

TEST_F(RotationTest, ManualUpdatesRestartTheDwellOnlyTheTextUpdateStopsTheRotation) {
  console.list.add(1, "a", 1);
  console.list.add(2, "b", 1);
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
  addEntries(1, 6);
  run(1);  // (1, 2)
  state.autoRotate = 0;
  console.ticks(40);
  EXPECT_EQ(state.rotateIndex, 3);
  // Counting goes on against the old dwell, then the list goes on from where it was.
  const auto pairs = run(16);
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(pairs[0].tick, 16);
  EXPECT_EQ(pairs[0].first, "texto 3");
}

TEST_F(RotationTest, AListChangedBetweenTwoDueTicksTakesEffectAtTheNext) {
  addEntries(1, 4);
  run(1);
  console.list.entries.clear();
  console.list.add(3, "novo 3", 1);
  console.list.add(4, "novo 4", 1);
  const auto pairs = run(16);
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(pairs[0].first, "novo 3");
  EXPECT_EQ(pairs[0].second, "novo 4");
}

TEST_F(RotationTest, ListTextsLongerThanARadiotextLineAreCutTo64) {
  console.list.add(1, std::string(200, 'x'), 1);
  run(1);
  EXPECT_EQ(state.radioText1, std::string(64, 'x'));
  EXPECT_EQ(console.queuedCommands()[0].size(), 71U);
}

TEST_F(RotationTest, ARotationBatchIsAppendedBehindAManualOneAndLeavesTheButtonsAlone) {
  console.list.add(1, "a", 1);
  state.advancedMode = 1;
  state.psName = "RADIO";
  console.core.updates().specialUpdate();
  console.window.calls.clear();
  run(1);
  EXPECT_EQ(console.sentCommands(), (Commands{"DI=01"}));
  EXPECT_EQ(console.queuedCommands(), (Commands{"TIMEINPSN=00", "TA=00", "TP=01", "MS=01",
                                                "TXT0=\"a\"", "TXT1=\"\"", "ENCODE"}));
  for (const auto& call : console.window.calls)
    EXPECT_EQ(call.rfind("enable", 0), std::string::npos);
}

TEST_F(RotationTest, HugeOrderNumbersAndDwellsDoNotOverflow) {
  state.rotateIndex = 2147483647;
  console.list.add(2147483647, "last", 2147483647);
  const auto pairs = run(1);
  ASSERT_EQ(pairs.size(), 1U);
  EXPECT_EQ(state.rotateDwell, 2147483647);
  EXPECT_EQ(state.rotateIndex, 1);
}

}  // namespace
}  // namespace orvane
