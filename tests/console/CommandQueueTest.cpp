#include <gtest/gtest.h>

#include "CommandQueue.h"
#include "ConsoleHarness.h"
#include "ControlId.h"

namespace orvane {
namespace {

using test::ConsoleHarness;
using Commands = std::vector<std::string>;

class CommandQueueTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  CommandQueue& queue = console.core.queue();
};

TEST_F(CommandQueueTest, ABatchLeavesOneCommandPerTickAndTheBusyStateEndsOnTheTickAfter) {
  console.connect();
  console.state.group1A = 1;
  console.state.rotateTicks = 12;
  console.core.updates().programmeUpdate();
  EXPECT_EQ(console.state.rotateTicks, 0);  // a batch start restarts the rotation's dwell
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
  EXPECT_EQ(console.link.sent[0], "GROUP4A=00\n");  // exactly one line feed, nothing else
  EXPECT_EQ(console.sentCommands(),
            (Commands{"GROUP4A=00", "GROUP1A=01", "DEF1ATIME=01+0000", "PTY=00", "ENCODE"}));
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
  EXPECT_EQ(console.sentCommands(), (Commands{"TA=01", "TP=01", "MS=00"}));
  EXPECT_EQ(console.state.busy, 1);
  console.ticks(1);
  EXPECT_EQ(console.state.busy, 0);
}

TEST_F(CommandQueueTest, OddQueuesAreNeitherSentHalfNorAllowedPastTheLineBuffer) {
  console.connect();
  queue.append(
      "TXT0=\"ab\x1F"
      "cd\"");  // the separator byte inside a text splits the command
  queue.append(std::string(1000, 'x'));
  queue.startBatch();
  console.ticks(3);
  ASSERT_EQ(console.link.sent.size(), 3U);
  EXPECT_EQ(console.sentCommands()[0], "TXT0=\"ab");
  EXPECT_EQ(console.sentCommands()[1], "cd\"");
  EXPECT_EQ(console.link.sent[2].size(), kLineCapacity + 1);

  ConsoleHarness unterminated;  // a queue without its separator is never sent and stays busy
  unterminated.connect();
  unterminated.state.sendQueue = "TA=01";
  unterminated.core.queue().startBatch();
  unterminated.ticks(5);
  EXPECT_TRUE(unterminated.link.sent.empty());
  EXPECT_EQ(unterminated.state.busy, 1);
}

TEST_F(CommandQueueTest, UpdateButtonsComeBackWhenABatchDrainsEvenWithoutAConnection) {
  queue.setUpdateButtons(false);
  EXPECT_EQ(console.window.calls, (Commands{"enable 1012 0", "enable 1015 0", "enable 1018 0"}));
  queue.append("ENCODE");
  queue.startBatch();
  console.ticks(2);
  EXPECT_TRUE(console.link.sent.empty());  // the send failed, quietly
  for (const int button : control::kUpdateButtons) EXPECT_TRUE(console.window.isEnabled(button));
  EXPECT_EQ(console.state.busy, 0);
}

}  // namespace
}  // namespace orvane
