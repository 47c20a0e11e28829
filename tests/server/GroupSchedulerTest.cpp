#include <gtest/gtest.h>

#include "GroupScheduler.h"
#include "RdsDecoder.h"

namespace orvane::test {
namespace {

constexpr std::int64_t kStart = 1709980190LL * 1'000'000;  // 2024-03-09 10:29:50 UTC
constexpr double kGroupSeconds = 104 / 1187.5;

// The scheduler on a simulated clock, three hours west of UTC as in Brasília, with a state a test
// may change between groups.
struct OnAir {
  OnAirState state;
  GroupScheduler scheduler{0x8201, [](std::int64_t) { return -180; }};
  std::vector<RdsGroup> groups;

  Station run(double seconds) {
    for (auto k = static_cast<std::int64_t>(seconds / kGroupSeconds); k > 0; --k) {
      const auto n = static_cast<std::int64_t>(groups.size());
      groups.push_back(scheduler.next(state, kStart + n * 1'664'000 / 19));
    }
    return decodeStation(groups);
  }
};

bool isType(const RdsGroup& g, unsigned type) {
  return (g.blocks[1] >> 11) == type * 2;
}

// The longest time, in seconds, that `count` more groups satisfying `is` take, from `from` on.
template <typename Predicate>
double longestFor(const std::vector<RdsGroup>& groups, std::size_t from, std::size_t count,
                  Predicate is) {
  std::vector<std::size_t> at;
  for (std::size_t i = from; i < groups.size(); ++i) {
    if (is(groups[i])) at.push_back(i);
  }
  std::size_t longest = 0;
  for (std::size_t i = 0; i + count < at.size(); ++i) {
    longest = std::max(longest, at[i + count] - at[i]);
  }
  return static_cast<double>(longest) * kGroupSeconds;
}

// A whole name every second, the programme item every second, a 64-character radiotext within
// five seconds, and the clock time once a minute, on its edge, never for a minute gone by.
TEST(GroupScheduler, KeepsEveryServiceWithinItsTime) {
  OnAir air;
  air.state.programmeServiceName = "ORVANE";
  air.state.radiotext = {std::string(64, 'x'), "Segunda linha"};
  air.state.programmeItemTime = {9, 10, 30};
  Station station = air.run(15);  // switched off across the 10:30 edge
  EXPECT_FALSE(station.programmeItem);
  EXPECT_TRUE(station.clockTimes.empty());

  const std::size_t on = air.groups.size();
  air.state.programmeItemGroups = air.state.clockTimeGroups = true;
  station = air.run(150);
  EXPECT_TRUE(isType(air.groups[on], 1));
  EXPECT_EQ(station.programmeItem, (9 << 11) | (10 << 6) | 30);
  EXPECT_LE(longestFor(air.groups, on, 1,
                       [](const RdsGroup& g) { return isType(g, 0) && (g.blocks[1] & 3) == 3; }),
            1.0);
  EXPECT_LE(longestFor(air.groups, on, 1, [](const RdsGroup& g) { return isType(g, 1); }), 1.0);
  EXPECT_LE(longestFor(air.groups, on, 16, [](const RdsGroup& g) { return isType(g, 2); }), 5.0);

  ASSERT_EQ(station.clockTimes.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const ClockTimeSeen& seen = station.clockTimes[i];
    EXPECT_EQ(seen.modifiedJulianDay, 60378);
    EXPECT_EQ(seen.hour * 60 + seen.minute, 10 * 60 + 31 + static_cast<int>(i));
    EXPECT_EQ(seen.offsetHalfHours, -6);
    const double end = static_cast<double>(seen.group + 1) * kGroupSeconds;
    EXPECT_NEAR(end, 70.0 + 60.0 * static_cast<double>(i), 0.1);
  }
}

// Receivers clear their display when the A/B flag changes, so it changes with every text.
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
  EXPECT_EQ(air.run(10).radiotexts.size(), shown);

  // Both empty: a blank text replaces the old one on receivers.
  air.state.radiotext = {"", ""};
  EXPECT_EQ(air.run(3).radiotexts.back(), "");
}

// A name of up to eight characters goes out as typed, so an operator's own centring stays. A
// longer one runs through frames of whole words, a word too long cut in pieces of eight, each
// frame on for a hold; so does the time of day, at every :00 and :30.
TEST(GroupScheduler, ServiceNameFramesAndTheTimeEachStayOnForAHold) {
  struct Row {
    std::string name;
    bool time;
    double seconds;
    std::vector<std::string> shown;
  };
  const Row rows[] = {
      {" RADIO", false, 3, {" RADIO  "}},
      {"", false, 3, {"        "}},
      {"A B C D E F", false, 6, {"A B C D ", "E F     "}},
      {"ANTENA1LISBOA FM", false, 6, {"ANTENA1L", "ISBOA FM"}},
      {"RADIO ORVANE LISBOA 98.5",
       false,
       20,
       {"RADIO   ", "ORVANE  ", "LISBOA  ", "98.5    ", "RADIO   "}},
      {"ORVANE", true, 48, {"ORVANE  ", "  07:30 ", "ORVANE  ", "  07:30 ", "ORVANE  "}}};
  for (const Row& row : rows) {
    OnAir air;  // 48 s: 07:29:50 to 07:30:38 local
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
