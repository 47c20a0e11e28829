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

TEST_F(CommandQueueTest, BatchesLeaveOneCommandPerTickAndTheBusyStateEndsOnTheTickAfter) {
  console.connect();
  console.state.group1A = 1;
  console.core.updates().programmeUpdate();
  console.ticks(1);
  queue.append("MS=00");  // a batch started a second later goes out behind the first
  queue.startBatch();
  for (std::size_t tick = 2; tick <= 6; ++tick) {
    console.ticks(1);
    EXPECT_EQ(console.link.sent.size(), tick);
    EXPECT_EQ(console.state.busy, 1) << "tick " << tick;
    EXPECT_FALSE(console.window.isEnabled(control::kUpdateText));
  }
  console.ticks(1);
  EXPECT_EQ(console.state.busy, 0);
  EXPECT_EQ(console.state.queueActive, 0);
  for (const int button : control::kUpdateButtons) EXPECT_TRUE(console.window.isEnabled(button));
  EXPECT_EQ(console.sentCommands(), (Commands{"GROUP4A=00", "GROUP1A=01", "DEF1ATIME=01+0000",
                                              "PTY=00", "ENCODE", "MS=00"}));
}

TEST_F(CommandQueueTest, OddCommandsAreNeitherSentHalfNorAllowedPastTheLineBuffer) {
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
}

TEST_F(CommandQueueTest, UpdateButtonsComeBackWhenABatchDrainsEvenWithoutAConnection) {
  queue.setUpdateButtons(false);
  queue.append("ENCODE");
  queue.startBatch();
  console.ticks(2);
  EXPECT_TRUE(console.link.sent.empty());  // the send failed, quietly
  EXPECT_TRUE(console.window.messages.empty());
  for (const int button : control::kUpdateButtons) EXPECT_TRUE(console.window.isEnabled(button));
  EXPECT_EQ(console.state.busy, 0);
}

}  // namespace
}  // namespace orvane
