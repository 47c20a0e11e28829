#include <gtest/gtest.h>

#include <algorithm>

#include "GroupScheduler.h"
#include "RdsDecoder.h"
#include "ServiceName.h"

namespace orvane::test {
namespace {

constexpr std::int64_t kStart = 1709980190LL * 1'000'000;  // 2024-03-09 10:29:50 UTC
constexpr double kGroupSeconds = 104 / 1187.5;

std::int64_t groupStart(std::int64_t k) {
  return kStart + k * 1'664'000 / 19;
}

// The scheduler on a simulated clock, an hour east of UTC, with a state a test may change
// between groups.
struct OnAir {
  OnAirState state;
  GroupScheduler scheduler{0x8201, [](std::int64_t) { return 60; }};
  std::vector<RdsGroup> groups;

  Station run(double seconds) {
    const auto count = static_cast<std::int64_t>(seconds / kGroupSeconds);
    for (std::int64_t k = 0; k < count; ++k) {
      groups.push_back(scheduler.next(state, groupStart(static_cast<std::int64_t>(groups.size()))));
    }
    return decodeStation(groups);
  }
};

// Largest number of groups between two that satisfy `is`, counting from the first group.
template <typename Predicate>
std::size_t longestWait(const std::vector<RdsGroup>& groups, Predicate is) {
  std::size_t longest = 0, last = 0;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!is(groups[i])) continue;
    longest = std::max(longest, i - last);
    last = i;
  }
  return std::max(longest, groups.size() - last);
}

bool isType(const RdsGroup& g, unsigned type) {
  return (g.blocks[1] >> 11) == type * 2;
}

TEST(GroupScheduler, KeepsEveryServiceWithinItsTime) {
  OnAir air;
  air.state.programmeServiceName = "ORVANE";
  air.state.radiotext = {std::string(64, 'x'), "Segunda linha"};
  air.state.programmeItemGroups = air.state.clockTimeGroups = true;
  const Station station = air.run(150);
  const auto perSecond = [](std::size_t groups) { return groups * kGroupSeconds; };

  EXPECT_LE(
      perSecond(longestWait(
          air.groups, [](const RdsGroup& g) { return isType(g, 0) && (g.blocks[1] & 3) == 3; })),
      1.0);
  EXPECT_LE(perSecond(longestWait(air.groups, [](const RdsGroup& g) { return isType(g, 1); })),
            1.0);
  // The 64-character line, all 16 segments, from its first to its last.
  const auto first =
      std::ranges::find_if(air.groups, [](const RdsGroup& g) { return isType(g, 2); });
  const auto last = std::find_if(first, air.groups.end(), [](const RdsGroup& g) {
    return isType(g, 2) && (g.blocks[1] & 0xF) == 15;
  });
  EXPECT_LE(perSecond(static_cast<std::size_t>(last - first) + 1), 5.0);

  // 10:30, 10:31 and 10:32 UTC, each group ending within 0.1 s of its minute edge.
  ASSERT_EQ(station.clockTimes.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const ClockTimeSeen& seen = station.clockTimes[static_cast<std::size_t>(i)];
    EXPECT_EQ(seen.modifiedJulianDay, 60378);
    EXPECT_EQ(seen.hour * 60 + seen.minute, 10 * 60 + 30 + i);
    EXPECT_EQ(seen.offsetHalfHours, 2);
    const double end =
        static_cast<double>(groupStart(static_cast<std::int64_t>(seen.group) + 1) - kStart) / 1e6;
    EXPECT_NEAR(end, 10 + 60 * i, 0.1);
  }
  EXPECT_EQ(station.serviceNames, std::vector<std::string>{"ORVANE  "});
  EXPECT_GT(std::ranges::count(station.typeSequence, "0A"), 5 * 150);
}

TEST(GroupScheduler, ProgrammeItemAndClockTimeOnlyWhileSwitchedOn) {
  OnAir air;
  air.state.programmeItemTime = {9, 10, 30};
  Station station = air.run(65);
  EXPECT_EQ(std::ranges::count(station.typeSequence, "1A") +
                std::ranges::count(station.typeSequence, "4A"),
            0);

  // Switched on at 10:30:55: no stale minute at once, the first 4A comes at 10:31.
  air.state.programmeItemGroups = air.state.clockTimeGroups = true;
  const std::size_t before = air.groups.size();
  station = air.run(10);
  ASSERT_EQ(station.clockTimes.size(), 1u);
  EXPECT_EQ(station.clockTimes[0].minute, 31);
  EXPECT_GT(station.clockTimes[0].group, before + 40);
  EXPECT_TRUE(isType(air.groups[before], 1));
  EXPECT_EQ(station.programmeItem, (9 << 11) | (10 << 6) | 30);
}

TEST(GroupScheduler, RadiotextLinesTakeTurnsAndTheFlagChangesWithEveryText) {
  OnAir air;
  air.state.radiotext = {"Bom dia", std::string(64, 'y')};
  Station station = air.run(20);
  ASSERT_GE(station.radiotexts.size(), 3u);
  EXPECT_EQ(station.radiotexts[0], "Bom dia");
  EXPECT_EQ(station.radiotexts[1], std::string(64, 'y'));
  EXPECT_EQ(station.radiotexts[2], "Bom dia");
  EXPECT_NE(station.radiotextFlags[0], station.radiotextFlags[1]);
  EXPECT_NE(station.radiotextFlags[1], station.radiotextFlags[2]);

  // An edit goes on air from its first segment under a new flag; an empty line drops out.
  air.state.radiotext = {"Boa tarde", ""};
  station = air.run(10);
  EXPECT_EQ(station.radiotexts.back(), "Boa tarde");
  const std::size_t shown = station.radiotexts.size();
  EXPECT_NE(station.radiotextFlags[shown - 1], station.radiotextFlags[shown - 2]);
  station = air.run(10);
  EXPECT_EQ(station.radiotexts.size(), shown);

  // Both empty: a blank text replaces the old one on receivers.
  air.state.radiotext = {"", ""};
  EXPECT_EQ(air.run(3).radiotexts.back(), "");
}

TEST(ServiceName, LongNamesGoOutWordByWordInFramesOfEight) {
  struct Row {
    std::string name;
    std::vector<std::string> frames;
  };
  for (const Row& row :
       {Row{" RADIO", {" RADIO  "}}, Row{"", {"        "}},
        Row{"RADIO ORVANE LISBOA 98.5", {"RADIO   ", "ORVANE  ", "LISBOA  ", "98.5    "}},
        Row{"A B C D E F", {"A B C D ", "E F     "}},
        Row{"ANTENA1LISBOA FM", {"ANTENA1L", "ISBOA FM"}}}) {
    EXPECT_EQ(serviceNameFrames(row.name), row.frames) << row.name;
  }
}

// Frames of a long name, and the time of day at every :00 and :30, each stay on for a hold.
TEST(GroupScheduler, ServiceNameFramesAndTheTimeEachStayOnForAHold) {
  struct Row {
    std::string name;
    bool time;
    double seconds;
    std::vector<std::string> shown;
  };
  for (const Row& row : {Row{"RADIO ORVANE LISBOA",
                             false,
                             20,
                             {"RADIO   ", "ORVANE  ", "LISBOA  ", "RADIO   ", "ORVANE  "}},
                         Row{"ORVANE",
                             true,
                             48,  // 11:29:50 to 11:30:38 local
                             {"ORVANE  ", "  11:30 ", "ORVANE  ", "  11:30 ", "ORVANE  "}}}) {
    OnAir air;
    air.state.programmeServiceName = row.name;
    air.state.timeInServiceName = row.time;
    const Station station = air.run(row.seconds);
    EXPECT_EQ(station.serviceNames, row.shown) << row.name;
    for (std::size_t i = 1; i + 1 < station.serviceNameAt.size(); ++i) {
      const double held =
          static_cast<double>(station.serviceNameAt[i + 1] - station.serviceNameAt[i]) *
          kGroupSeconds;
      if (station.serviceNames[i] == "ORVANE  " && row.time) continue;  // between two times
      EXPECT_GE(held, 4.0) << station.serviceNames[i];
      EXPECT_LT(held, 5.0) << station.serviceNames[i];
    }
  }
}

}  // namespace
}  // namespace orvane::test
