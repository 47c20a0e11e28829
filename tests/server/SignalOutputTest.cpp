#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "RdsDecoder.h"
#include "SignalOutput.h"
#include "TempDir.h"

namespace orvane::test {
namespace {

GroupScheduler scheduler() {
  return GroupScheduler(0x8201, [](std::int64_t) { return 0; });
}

OutputStream open(const std::string& path) {
  std::string error;
  auto stream = OutputStream::open(path, error);
  EXPECT_TRUE(stream) << error;
  return std::move(*stream);
}

// Services the stage the way the poll loop would, without waiting; the number of turns taken.
int runToEnd(SignalOutput& output, int most = 10000) {
  int turns = 0;
  while (turns < most && output.service()) ++turns;
  return turns;
}

TEST(SignalOutput, OnTheClockEachGroupIsMadeWhenItIsDueAndReadsTheStateThen) {
  TempDir dir;
  OnAirState state;
  std::int64_t now = 5'000'000;
  SignalOutput output(state, scheduler(), {Pacing::Clock, std::nullopt, 0}, [&now] { return now; });
  output.setGroupOutput(open(dir.file("g.txt")));
  EXPECT_TRUE(output.service());
  EXPECT_EQ(output.groupsMade(), 2);  // the one on air now, and the next
  EXPECT_EQ(output.wait().timeoutMs, 88);

  state.trafficAnnouncement = true;
  now += 1'000'000;
  EXPECT_TRUE(output.service());
  EXPECT_EQ(output.groupsMade(), 13);
  const auto groups = groupsFromHex(dir.read("g.txt"));
  ASSERT_TRUE(groups);
  ASSERT_EQ(groups->size(), 13u);
  EXPECT_FALSE(
      decodeStation(std::vector(groups->begin(), groups->begin() + 2)).trafficAnnouncement);
  EXPECT_TRUE(decodeStation(*groups).trafficAnnouncement);
}

// A reader that stops holds the signal back without the stage blocking or piling data up; one
// that goes away ends the signal as a failure, never as a success.
TEST(SignalOutput, ASlowReaderHoldsTheSignalBackAndAVanishedOneFailsIt) {
  signal(SIGPIPE, SIG_IGN);
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  OnAirState state;
  SignalOutput output(state, scheduler(), {Pacing::AsFastAsWritten, std::nullopt, 0},
                      [] { return 0; });
  output.setMpxOutput(open("/proc/self/fd/" + std::to_string(ends[1])), false);
  close(ends[1]);
  runToEnd(output, 100);
  const std::int64_t stalled = output.groupsMade();
  EXPECT_LT(stalled, 10);  // a pipe's worth and the stage's own bound
  EXPECT_TRUE(output.service());
  EXPECT_EQ(output.groupsMade(), stalled);
  EXPECT_EQ(output.wait().fds[0].events, POLLOUT);

  std::vector<char> sink(1 << 20);
  while (read(ends[0], sink.data(), sink.size()) == static_cast<ssize_t>(sink.size())) {
  }
  EXPECT_TRUE(output.service());
  EXPECT_GT(output.groupsMade(), stalled);

  close(ends[0]);
  runToEnd(output, 100);
  EXPECT_TRUE(output.failed());
  EXPECT_NE(output.error().find("falhou a escrita"), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
