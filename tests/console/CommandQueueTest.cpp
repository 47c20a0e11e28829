#include <gtest/gtest.h>

#include "CommandQueue.h"
#include "ConsoleHarness.h"
#include "ControlId.h"

namespace orvane {
namespace {

using test::ConsoleHarness;

class CommandQueueTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  CommandQueue& queue = console.core.queue();
};

TEST_F(CommandQueueTest, ABatchLeavesOneCommandPerTickAndTheBusyStateEndsOnTheTickAfter) {
  console.connect();
  console.state.group1A = 1;
  console.core.updates().programmeUpdate();
  ASSERT_EQ(console.queuedCommands().size(), 5U);

  for (std::size_t tick = 1; tick <= 5; ++tick) {
    console.ticks(1);
    EXPECT_EQ(console.link.sent.size(), tick);
    EXPECT_EQ(console.state.busy, 1) << "tick " << tick;
    EXPECT_FALSE(console.window.isEnabled(control::kUpdateText));
  }
  console.ticks(1);
  EXPECT_EQ(console.state.busy, 0);
  EXPECT_EQ(console.state.queueActive, 0);
  for (const int button : control::kUpdateButtons) EXPECT_TRUE(console.window.isEnabled(button));
  EXPECT_EQ(console.sentCommands(),
            (std::vector<std::string>{"GROUP4A=00", "GROUP1A=01", "DEF1ATIME=01+0000", "PTY=00",
                                      "ENCODE"}));
}

TEST_F(CommandQueueTest, EachCommandGoesOutWithExactlyOneLineFeed) {
  console.connect();
  queue.append("TA=01");
  queue.startBatch();
  console.ticks(1);
  ASSERT_EQ(console.link.sent.size(), 1U);
  EXPECT_EQ(console.link.sent[0], "TA=01\n");
}

TEST_F(CommandQueueTest, TwoBatchesStartedASecondApartGoOutBackToBack) {
  console.connect();
  queue.append("TA=01");
  queue.append("TP=01");
  queue.startBatch();
  console.ticks(1);
  queue.append("MS=00");
  queue.startBatch();
  console.ticks(2);
  EXPECT_EQ(console.sentCommands(), (std::vector<std::string>{"TA=01", "TP=01", "MS=00"}));
  EXPECT_EQ(console.state.busy, 1);
  console.ticks(1);
  EXPECT_EQ(console.state.busy, 0);
}

TEST_F(CommandQueueTest, ASeparatorByteInsideATextSplitsTheCommandInTwo) {
  console.connect();
  queue.append(
      "TXT0=\"ab\x1F"
      "cd\"");
  queue.startBatch();
  console.ticks(2);
  EXPECT_EQ(console.sentCommands(), (std::vector<std::string>{"TXT0=\"ab", "cd\""}));
}

TEST_F(CommandQueueTest, AQueueWithoutATrailingSeparatorIsNeverSentAndStaysBusy) {
  console.connect();
  console.state.sendQueue = "TA=01";
  queue.startBatch();
  console.ticks(5);
  EXPECT_TRUE(console.link.sent.empty());
  EXPECT_EQ(console.state.busy, 1);
  EXPECT_EQ(console.state.sendQueue, "TA=01");
}

TEST_F(CommandQueueTest, UpdateButtonsComeBackWhenABatchDrainsEvenWithoutAConnection) {
  queue.setUpdateButtons(false);
  queue.append("ENCODE");
  queue.startBatch();
  console.ticks(2);
  EXPECT_TRUE(console.link.sent.empty());  // the send failed, quietly
  for (const int button : control::kUpdateButtons) EXPECT_TRUE(console.window.isEnabled(button));
  EXPECT_EQ(console.state.busy, 0);
}

TEST_F(CommandQueueTest, UpdateButtonsSwitchTogetherInTheirOrder) {
  queue.setUpdateButtons(false);
  EXPECT_EQ(console.window.calls,
            (std::vector<std::string>{"enable 1012 0", "enable 1015 0", "enable 1018 0"}));
}

TEST_F(CommandQueueTest, CommandsNeverOverrunTheLineBuffer) {
  console.connect();
  queue.append(std::string(1000, 'x'));
  queue.startBatch();
  console.ticks(1);
  ASSERT_EQ(console.link.sent.size(), 1U);
  EXPECT_EQ(console.link.sent[0].size(), kLineCapacity + 1);
  EXPECT_EQ(console.state.lineBuffer[kLineCapacity], '\0');
}

TEST_F(CommandQueueTest, ABatchStartRestartsTheRotationCount) {
  console.state.rotateTicks = 12;
  queue.startBatch();
  EXPECT_EQ(console.state.rotateTicks, 0);
  EXPECT_EQ(console.state.busy, 1);
  EXPECT_EQ(console.state.queueActive, 1);
}

}  // namespace
}  // namespace orvane
