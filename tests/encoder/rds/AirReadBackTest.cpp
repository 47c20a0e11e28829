#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "AirReadBack.h"
#include "GroupScheduler.h"
#include "RdsDecoder.h"
#include "Windows1252.h"

// The encoder's own read-back against the test receiver, which was written from the standard's
// side: both read the same groups, so the status page shows what a radio shows.
namespace orvane::test {
namespace {

constexpr std::int64_t kStart = 1709980190LL * 1'000'000;  // 2024-03-09 10:29:50 UTC

struct Air {
  std::vector<RdsGroup> groups;
  AirReadBack readBack;
};

// `seconds` of signal from `state`, fed to the read-back group by group as the output does.
void run(Air& air, GroupScheduler& scheduler, const OnAirState& state, double seconds) {
  const auto count = static_cast<std::int64_t>(seconds * 1e6 / GroupScheduler::kGroupMicros);
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t at =
        kStart + static_cast<std::int64_t>(air.groups.size()) * GroupScheduler::kGroupMicros;
    air.groups.push_back(scheduler.next(state, at));
    air.readBack.take(air.groups.back(), at);
  }
}

OnAirState richState() {
  OnAirState state;
  state.programmeServiceName = windows1252FromUtf8("ANTENA 1");
  state.radiotext = {windows1252FromUtf8("Rui Veloso - Porto Sentido"),
                     windows1252FromUtf8("Notícias às 11h")};
  state.programmeType = 10;
  state.trafficAnnouncement = true;
  state.music = false;
  state.decoderIdentification = 9;
  state.clockTimeGroups = true;
  state.programmeItemGroups = true;
  state.programmeItemTime = {7, 10, 30};
  state.longServiceName = "Rádio Orvane — Lisboa ♪";
  state.enhancedRadiotext = "Νέα — Новости ♪";
  state.otherNetworkTraffic[0] = true;
  return state;
}

TEST(AirReadBack, ShowsWhatTheTestReceiverHears) {
  GroupScheduler scheduler(
      0x8201, [](std::int64_t) { return 60; }, 0xE4);
  std::string error;
  const auto frequencies = AlternativeFrequencies::parse("87.6,101.2,105.4", error);
  ASSERT_TRUE(frequencies) << error;
  scheduler.setAlternativeFrequencies(*frequencies);
  scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
  scheduler.setOtherNetworks({{0x8202, "ANTENA 2", true, 10, {}, 0}});
  Air air;
  run(air, scheduler, richState(), 70);
  const Station heard = decodeStation(air.groups);
  const AirView& view = air.readBack.view();

  EXPECT_EQ(view.programmeIdentification, heard.pi);
  ASSERT_FALSE(heard.serviceNames.empty());
  EXPECT_EQ(view.serviceName, heard.serviceNames.back());
  EXPECT_EQ(view.serviceNameCycle, std::vector<std::string>{"ANTENA 1"});
  EXPECT_EQ(view.programmeType, heard.programmeType);
  EXPECT_EQ(view.programmeTypeName, "Música Pop");
  EXPECT_EQ(std::tuple(view.programmeTypeName8, view.longServiceName),
            std::tuple(heard.programmeTypeName, heard.longServiceName));
  EXPECT_EQ(view.longServiceName, richState().longServiceName);
  EXPECT_EQ(std::tuple(view.enhancedRadiotext, heard.enhancedRadiotext),
            std::tuple(richState().enhancedRadiotext, richState().enhancedRadiotext));
  const AirView::OtherNetworkHeard sister{"ANTENA 2", true, true};
  EXPECT_EQ(view.otherNetworks,
            (std::map<std::uint16_t, AirView::OtherNetworkHeard>{{0x8202, sister}}));
  const OtherNetworkSeen& seen = heard.otherNetworks.at(0x8202);
  EXPECT_EQ(std::tuple(seen.serviceName, seen.trafficProgramme, seen.trafficAnnouncement),
            std::tuple(sister.serviceName, sister.trafficProgramme, sister.trafficAnnouncement));
  EXPECT_EQ(view.trafficAnnouncement, heard.trafficAnnouncement);
  EXPECT_EQ(view.trafficProgramme, heard.trafficProgramme);
  EXPECT_EQ(view.music, heard.music);
  EXPECT_EQ(view.decoderIdentification, heard.decoderIdentification);
  EXPECT_EQ(view.alternativeFrequenciesKhz, heard.alternativeFrequencies);
  EXPECT_EQ(view.extendedCountryCode, heard.slowLabelling.value_or(0) & 0xFF);
  EXPECT_EQ(view.programmeItem, heard.programmeItem);
  ASSERT_TRUE(view.clockTime && !heard.clockTimes.empty());
  EXPECT_EQ(view.clockTime->hour, heard.clockTimes.back().hour);
  EXPECT_EQ(view.clockTime->minute, heard.clockTimes.back().minute);
  EXPECT_EQ(view.clockTime->localOffsetHalfHours, 2);

  // Both lines, each under the flag the receiver last heard it with.
  ASSERT_GE(heard.radiotexts.size(), 2u);
  for (std::size_t i = heard.radiotexts.size() - 2; i < heard.radiotexts.size(); ++i) {
    const auto& line = view.radiotext[heard.radiotextFlags[i] ? 1 : 0];
    EXPECT_TRUE(line.complete);
    EXPECT_EQ(line.text, heard.radiotexts[i]);
  }
  EXPECT_EQ(view.radiotextB, heard.radiotextFlags.back());

  ASSERT_FALSE(heard.rtPlus.empty());
  EXPECT_TRUE(view.radiotextPlus.announced);
  const RtPlusSeen& tags = heard.rtPlus.back();
  EXPECT_EQ(view.radiotextPlus.itemRunning, tags.itemRunning);
  EXPECT_EQ(view.radiotextPlus.artist, tags.items.count(4) ? tags.items.at(4) : "");
  EXPECT_EQ(view.radiotextPlus.title, tags.items.count(1) ? tags.items.at(1) : "");

  std::uint64_t perMinute = 0;
  for (auto count : view.groupsLastMinute) perMinute += count;
  EXPECT_EQ(perMinute, 686u);  // those begun in the last 60 s, not in the 70 s since the start
  EXPECT_EQ(view.groupsSent[8], heard.clockTimes.size());
}

// Method B: each transmitter's list read with its own tuned frequency, whichever side of it the
// others lie, and never taken for one method A list.
TEST(AirReadBack, ReadsEachTransmittersListByMethodB) {
  GroupScheduler scheduler(
      0x8201, [](std::int64_t) { return 60; }, 0xE4);
  AlternativeFrequencies frequencies;
  std::string error;
  for (const char* list : {"89.3:87.6,101.2", "101.2:89.3,105.4,88"}) {
    ASSERT_TRUE(frequencies.addTransmitter(list, error)) << error;
  }
  scheduler.setAlternativeFrequencies(frequencies);
  Air air;
  run(air, scheduler, richState(), 20);
  const Station heard = decodeStation(air.groups);
  const std::map<int, std::vector<int>> sent = {{89300, {87600, 101200}},
                                                {101200, {89300, 105400, 88000}}};
  EXPECT_EQ(heard.alternativeFrequencyLists, sent);
  EXPECT_EQ(std::tuple(air.readBack.view().alternativeFrequencyListsKhz,
                       air.readBack.view().alternativeFrequenciesKhz, heard.alternativeFrequencies),
            std::tuple(sent, std::nullopt, std::nullopt));
}

// A name that runs by frames is shown with its whole turn; a change of radiotext moves the
// time it last changed, and a repeat of the same text does not.
TEST(AirReadBack, FollowsARunningNameAndTellsRealChangesFromRepeats) {
  GroupScheduler scheduler(0x8201, [](std::int64_t) { return 0; });
  OnAirState state;
  state.programmeServiceName = "RADIO   ORVANE  ";
  Air air;
  run(air, scheduler, state, 30);
  const std::vector<std::string> cycle{"RADIO   ", "ORVANE  "};
  EXPECT_EQ(air.readBack.view().serviceNameCycle, cycle);

  state.radiotext[0] = "Primeira";
  run(air, scheduler, state, 10);
  const std::int64_t changed = air.readBack.radiotextChangedAt();
  const std::uint64_t changes = air.readBack.changes();
  EXPECT_GT(changed, kStart);
  run(air, scheduler, state, 20);
  EXPECT_EQ(air.readBack.radiotextChangedAt(), changed);
  state.radiotext[0] = "Segunda";
  run(air, scheduler, state, 10);
  EXPECT_GT(air.readBack.radiotextChangedAt(), changed);
  EXPECT_GT(air.readBack.changes(), changes);
}

// Groups the encoder should never make must not make the page lie or read out of bounds: a
// tag past the end of the message marks nothing, and a name with a missed segment is not shown.
TEST(AirReadBack, BelievesNothingAGroupCannotBackUp) {
  AirReadBack readBack;
  const GroupHeader header{0x8201, true, 0};
  readBack.take(openDataAnnouncementGroup(header, 22, 0, 0x4BD7), 0);
  readBack.take(radiotextGroup(header, 0, false, "Ab\r "), 0);
  // Artist from 60 for 10 characters, title from 0 for 2.
  const std::uint64_t tags = (std::uint64_t{1} << 35) | (std::uint64_t{4} << 29) |
                             (std::uint64_t{60} << 23) | (std::uint64_t{9} << 17) |
                             (std::uint64_t{1} << 11) | (std::uint64_t{0} << 5) | 1;
  readBack.take(openDataGroup(header, 11, tags), 0);
  EXPECT_EQ(readBack.view().radiotextPlus.artist, "");
  EXPECT_EQ(readBack.view().radiotextPlus.title, "Ab");

  for (int segment : {0, 1, 3}) {
    readBack.take(serviceNameGroup(header, segment, "XY", false, true, 1, 0xE0CD), 0);
  }
  EXPECT_EQ(readBack.view().serviceName, "");
  EXPECT_EQ(readBack.view().alternativeFrequenciesKhz, std::vector<int>{});

  // A new programme type name (its A/B flag flipped) clears the old one, never mixes with it.
  readBack.take(programmeTypeNameGroup(header, 0, false, "ROCK"), 0);
  readBack.take(programmeTypeNameGroup(header, 1, false, "  PT"), 0);
  EXPECT_EQ(readBack.view().programmeTypeName8, "ROCK  PT");
  readBack.take(programmeTypeNameGroup(header, 0, true, "FADO"), 0);
  EXPECT_EQ(readBack.view().programmeTypeName8, "");
}

}  // namespace
}  // namespace orvane::test
