#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ranges>
#include <set>
#include <tuple>

#include "Checkword.h"
#include "Cp1252.h"
#include "GroupScheduler.h"
#include "RdsCharset.h"
#include "RdsDecoder.h"
#include "RtPlusTagger.h"
#include "Windows1252.h"

// The text and what goes into the groups, and in which order and how often, read back by the
// test receiver.
namespace orvane::test {
namespace {

// The receiver, from its own parity-check matrix, must find each block's offset word where it was
// sent: what a wrong polynomial or offset word would break.
TEST(Checkword, ReceiversFindEveryOffset) {
  for (std::uint16_t info : {0x0000, 0xFFFF, 0x8201, 0x2A9E}) {
    for (Offset offset : {Offset::A, Offset::B, Offset::C, Offset::CPrime, Offset::D}) {
      const std::uint32_t block = encodeBlock(info, offset);
      EXPECT_TRUE(block >> 10 == info && offsetOf(block) == offset) << info << " " << int(offset);
    }
  }
}

// The console's converter is the project's reference for the code page; the two must agree on
// every byte, except that the server masks the undefined ones rather than emit C1 controls.
TEST(Windows1252, AgreesWithTheConsoleAndMarksWhatItLacks) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    EXPECT_EQ(utf8FromWindows1252(byte), undefined ? "\uFFFD" : utf8FromCp1252(byte)) << b;
  }
  EXPECT_EQ(utf8FromWindows1252("\x81S\xE3o \x80\x9D\x9D!\x8F"), "\uFFFDSão €\uFFFD\uFFFD!\uFFFD");
  EXPECT_EQ(windows1252FromUtf8("não € “x” a∞b\uFFFD\xC3"), "n\xE3o \x80 \x93x\x94 a?b??");
}

// Portuguese as the console types it comes back off a receiver's display as typed; what the set
// lacks becomes a look-alike, never a raw or control byte.
TEST(RdsCharset, CharactersComeBackAsTypedOrAsALookAlike) {
  const std::string typed =
      "áàâãéêíóôõúçÁÀÂÃÉÊÍÓÔÕÚÇºª€£$©‰µ¿¡§°±²³¼½¾÷ßŠšŽžŒœÄÖÜäöüÑñÅåÆæØøðÞþÝý ";
  EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8(typed + "^ ` ~ ‘x’ “y” – … ™ ÿ Ð×¢"))),
            typed + "? ' - 'x' \"y\" - . ? y Đxc");
  for (int b = 0; b < 256; ++b) {
    const std::uint8_t code = rdsCharacter(static_cast<char>(b));
    EXPECT_TRUE(code >= 0x20 && code != 0x7F && code != 0xFF) << b;
  }
}

// Eight sister networks, each with the most frequencies it may have, TP on and TA off.
std::vector<OtherNetwork> sisterNetworks() {
  std::vector<OtherNetwork> networks;
  for (std::uint16_t i = 0; i < kMaxOtherNetworks; ++i) {
    std::string error;
    auto frequencies =
        AlternativeFrequencies::parse("88." + std::to_string(i) + ",90.1,91.2,92.3,93.4", error);
    networks.push_back({static_cast<std::uint16_t>(0x8202 + i), "REDE " + std::to_string(i), true,
                        10, std::move(*frequencies), OtherNetwork::kMaxFrequencies});
  }
  return networks;
}

constexpr std::int64_t kStart = 1709980190LL * 1'000'000;  // 2024-03-09 10:29:50 UTC
constexpr double kGroupSeconds = 104 / 1187.5;

// The scheduler on a simulated clock, three hours west of UTC as in Brasília, with a state a test
// may change between groups.
struct OnAir {
  OnAirState state;
  GroupScheduler scheduler{0x8201, [](std::int64_t) { return -180; }};
  std::vector<RdsGroup> groups;

  Station run(double seconds) {
    for (auto k = static_cast<std::int64_t>(seconds / kGroupSeconds); k > 0; --k) step();
    return decodeStation(groups);
  }
  const RdsGroup& step() {
    const auto n = static_cast<std::int64_t>(groups.size());
    return groups.emplace_back(scheduler.next(state, kStart + n * 1'664'000 / 19));
  }
};

// 0A as 0, 1A as 1 and so on.
unsigned typeOf(const RdsGroup& g) {
  return g.blocks[1] >> 12;
}

// The longest time, in seconds, that `count` more groups of a kind take, from group `from` on.
double longestFor(const std::vector<RdsGroup>& groups, std::size_t from, std::size_t count,
                  auto isOfTheKind) {
  std::vector<double> at;
  for (std::size_t i = from; i < groups.size(); ++i) {
    if (isOfTheKind(groups[i])) at.push_back(static_cast<double>(i) * kGroupSeconds);
  }
  double longest = 0;
  for (std::size_t i = 0; i + count < at.size(); ++i)
    longest = std::max(longest, at[i + count] - at[i]);
  return longest;
}

// With everything on at once (a traffic announcement and its name, the programme type name too):
// a whole name every second, the programme item every 2 to 5 s, a 64-character radiotext within
// five seconds, and the clock time once a minute, on its edge, never for a minute gone by; all
// of it with RadioText Plus taking its share, announced every few seconds; and no country
// declared that was not given.
TEST(GroupScheduler, KeepsEveryServiceWithinItsTime) {
  OnAir air;
  air.state.programmeServiceName = "ORVANE";
  air.state.radiotext = {std::string(64, 'x'), "Segunda linha"};
  air.state.programmeItemTime = {9, 10, 30};
  auto networks = sisterNetworks();
  networks.resize(3);
  air.scheduler.setOtherNetworks(networks);
  air.state.otherNetworkTraffic[2] = true;  // its 14B went out before the rates are measured
  Station station = air.run(15);            // switched off across the 10:30 edge
  EXPECT_FALSE(station.programmeItem);
  EXPECT_TRUE(station.clockTimes.empty());

  const std::size_t on = air.groups.size();
  air.state.programmeItemGroups = air.state.clockTimeGroups = true;
  air.state.trafficProgramme = air.state.trafficAnnouncement = true;
  air.state.programmeTypeName = "NOTICIAS";
  air.state.longServiceName = "Rádio Orvane — Lisboa ♪";
  air.state.enhancedRadiotext = "Ελληνικά — Кириллица ♪ " + std::string(84, 'e');
  air.scheduler.setTrafficServiceName("TRANSITO");
  std::string error;
  const auto frequencies = AlternativeFrequencies::parse("107.9,87.6", error);
  ASSERT_TRUE(frequencies) << error;
  air.scheduler.setAlternativeFrequencies(*frequencies);
  air.scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
  station = air.run(150);
  ASSERT_GT(air.groups.size(), on);
  EXPECT_EQ(std::tuple(station.alternativeFrequencies.value_or(std::vector<int>{}),
                       station.trafficAnnouncement, station.serviceNames.back()),
            std::tuple(std::vector<int>{107900, 87600}, true, "TRANSITO"));
  EXPECT_EQ(std::tuple(station.longServiceName, station.enhancedRadiotext),
            std::tuple(air.state.longServiceName, air.state.enhancedRadiotext));
  EXPECT_EQ(std::tuple(station.otherNetworks.size(), station.otherNetworks[0x8204].serviceName,
                       station.otherNetworks[0x8204].trafficAnnouncement),
            std::tuple(3u, "REDE 2  ", true));
  EXPECT_LE(longestFor(air.groups, on, 8, [](auto& g) { return typeOf(g) == 15; }), 8.0);
  EXPECT_LE(longestFor(air.groups, on, 1, [](auto& g) { return typeOf(g) == 3; }), 4.5);
  EXPECT_EQ(typeOf(air.groups[on]), 1u);
  EXPECT_EQ(station.slowLabelling, 0x3000);  // no country code given: language "unknown"
  EXPECT_LE(longestFor(air.groups, on, 1,
                       [](auto& g) { return typeOf(g) == 0 && (g.blocks[1] & 3) == 3; }),
            1.0);
  // Four 0A a second carry the name, its TA flag and the frequencies; an 11A every 2.1 s.
  EXPECT_LE(longestFor(air.groups, on, 4, [](auto& g) { return typeOf(g) == 0; }), 1.0);
  EXPECT_LE(longestFor(air.groups, on, 1, [](auto& g) { return typeOf(g) == 11; }), 2.2);
  // The programme item within 5 s of tuning in, yet never within 2 s of the last: its places go
  // to the name and the radiotext.
  EXPECT_LE(longestFor(air.groups, on, 1, [](auto& g) { return typeOf(g) == 1; }), 5.0);
  for (std::size_t i = on, last = 0; i < air.groups.size(); ++i) {
    if (typeOf(air.groups[i]) != 1) continue;
    EXPECT_TRUE(last == 0 || static_cast<double>(i - last) * kGroupSeconds >= 2.0) << i;
    last = i;
  }
  EXPECT_LE(longestFor(air.groups, on, 16, [](auto& g) { return typeOf(g) == 2; }), 5.0);
  ASSERT_EQ(station.clockTimes.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const ClockTimeSeen& seen = station.clockTimes[static_cast<std::size_t>(i)];
    EXPECT_EQ(std::tuple(seen.modifiedJulianDay, seen.hour, seen.minute, seen.offsetHalfHours),
              std::tuple(60378, 10, 31 + i, -6));
    EXPECT_NEAR(static_cast<double>(seen.group + 1) * kGroupSeconds, 70 + 60 * i, 0.1);
  }
}

// Eight networks with all their frequencies are each whole within two minutes of any moment.
TEST(GroupScheduler, EveryOtherNetworkIsWholeWithinTwoMinutes) {
  OnAir air;
  air.state.otherNetworkTraffic[7] = true;
  air.scheduler.setOtherNetworks(sisterNetworks());
  air.run(150);
  const auto twoMinutes = static_cast<std::size_t>(120 / kGroupSeconds);
  const Station cycle = decodeStation(std::span(air.groups).subspan(300, twoMinutes));
  ASSERT_EQ(cycle.otherNetworks.size(), kMaxOtherNetworks);
  for (const OtherNetwork& network : sisterNetworks()) {
    const OtherNetworkSeen& seen = cycle.otherNetworks.at(network.programmeIdentification);
    EXPECT_EQ(std::tuple(seen.serviceName, seen.frequencies.value_or(std::vector<int>{}).size(),
                         seen.programmeType, seen.trafficProgramme, seen.trafficAnnouncement),
              std::tuple(network.serviceName + std::string(8 - network.serviceName.size(), ' '),
                         OtherNetwork::kMaxFrequencies, 10, true,
                         network.programmeIdentification == 0x8209));
  }
}

// A sister network's announcement goes out in eight 14B within about 2 s of its TA going on, and
// again when it goes off, variant 13 of 14A saying so meanwhile; a network without TP has none.
TEST(GroupScheduler, AnotherNetworksAnnouncementGoesOutAtOnceIn14B) {
  OnAir air;
  auto networks = sisterNetworks();
  networks.resize(2);
  networks[1].trafficProgramme = false;
  air.scheduler.setOtherNetworks(networks);
  air.run(5);
  std::size_t change = air.groups.size();
  air.state.otherNetworkTraffic = {true, true};
  for (const bool on : {true, false}) {
    Station station = air.run(30);
    const OtherNetworkSeen& first = station.otherNetworks[0x8202];
    const OtherNetworkSeen& second = station.otherNetworks[0x8203];
    const auto burst = std::ranges::count_if(first.trafficGroupsAt, [&](std::size_t at) {
      return at >= change && static_cast<double>(at - change) * kGroupSeconds <= 2.2;
    });
    EXPECT_EQ(std::tuple(burst, first.trafficAnnouncement, second.trafficAnnouncement,
                         second.trafficGroupsAt.size()),
              std::tuple(8, on, false, 0u));
    change = air.groups.size();
    air.state.otherNetworkTraffic = {};
  }
}

// Nothing on air claims what is not so: the country code given comes every ten seconds, with no
// programme item (day 0) while none is on, nor once 1A is on before a time is set; a station
// starts without TP, and TA goes out only with TP, since TA alone would say that another programme
// carries traffic news. (Without a country code, see the test above.)
TEST(GroupScheduler, SendsTheCountryCodeAndNothingThatIsNotSo) {
  OnAir air;
  air.scheduler = GroupScheduler(
      0x8201, [](std::int64_t) { return 0; }, 0xE4);
  air.state.trafficAnnouncement = true;
  const Station station = air.run(21);
  EXPECT_EQ(std::tuple(station.slowLabelling.value_or(0), station.programmeItem.value_or(1),
                       std::ranges::count_if(air.groups, [](auto& g) { return typeOf(g) == 1; }),
                       station.trafficProgramme, station.trafficAnnouncement),
            std::tuple(0x00E4, 0, 3, false, false));
  air.state.programmeItemGroups = true;
  EXPECT_EQ(air.run(2).programmeItem, 0);
}

// While a traffic announcement is on air (TA with TP) receivers show the traffic name, never the
// time of day, and the station's own name once it ends; TA without TP is not on air, nor its name.
TEST(GroupScheduler, TheTrafficNameShowsOnlyWhileAnAnnouncementIsOnAir) {
  OnAir air;
  air.scheduler.setTrafficServiceName("TR\xC2NSITO");
  air.state.programmeServiceName = "ORVANE";
  air.state.timeInServiceName = true;
  air.state.trafficAnnouncement = true;
  air.run(3);  // no TP yet
  air.state.trafficProgramme = true;
  air.run(40);  // across 07:30 local, the time of day held back
  air.state.trafficAnnouncement = false;
  const Station station = air.run(2);
  EXPECT_EQ(station.serviceNames, (std::vector<std::string>{"ORVANE  ", "TRÂNSITO", "ORVANE  "}));
}

// Receivers clear their display when the A/B flag changes, so it changes with every text. An
// edit goes on air at once; an empty line drops out, and with both empty a blank text replaces
// the old one on receivers.
TEST(GroupScheduler, RadiotextLinesTakeTurnsAndTheFlagChangesWithEveryText) {
  OnAir air;
  const std::string full(64, 'y');
  air.state.radiotext = {"Bom dia", full};
  air.run(20);
  air.state.radiotext = {"Boa tarde", ""};
  air.run(20);
  air.state.radiotext = {"", ""};
  const Station station = air.run(3);
  EXPECT_EQ(station.radiotexts, (std::vector<std::string>{"Bom dia", full, "Bom dia", full,
                                                          "Bom dia", "Boa tarde", ""}));
  for (std::size_t i = 1; i < station.radiotextFlags.size(); ++i) {
    EXPECT_NE(station.radiotextFlags[i], station.radiotextFlags[i - 1]) << i;
  }
}

// An edit of the radiotext (either line), the name or the programme type name is the very next
// group, its first segment, whichever turn was due; a flood of edits still leaves four names a
// second.
TEST(GroupScheduler, AnEditTakesTheNextGroupYetTheNameKeepsItsRate) {
  struct Edit {
    unsigned type;  // of the group that carries it
    unsigned segmentBits;
    void (*apply)(OnAirState&, int);
  };
  const Edit edits[] = {
      {2, 0xF, [](OnAirState& s, int k) { s.radiotext[0] = "Texto " + std::to_string(k); }},
      // Each edit in the line not on air: it takes over rather than wait for its turn.
      {2, 0xF, [](OnAirState& s, int k) { s.radiotext[k % 2] = "Linha " + std::to_string(k); }},
      {0, 3, [](OnAirState& s, int k) { s.programmeServiceName = "NOME " + std::to_string(k); }},
      {10, 1, [](OnAirState& s, int k) { s.programmeTypeName = "TIPO " + std::to_string(k); }}};
  for (const Edit& edit : edits) {
    OnAir air;
    air.state.programmeServiceName = "ORVANE";
    air.state.radiotext = {"Bom dia", ""};
    air.state.programmeTypeName = "MUSICA";
    air.run(3);
    for (int k = 0; k < 24; ++k) {  // edits 9 to 11 groups apart, so on either turn
      edit.apply(air.state, k);
      const RdsGroup& next = air.step();
      EXPECT_EQ(std::tuple(typeOf(next), next.blocks[1] & edit.segmentBits),
                std::tuple(edit.type, 0u))
          << edit.type << " edit " << k;
      for (int rest = 8 + k % 3; rest > 0; --rest) air.step();
    }
    const std::size_t flood = air.groups.size();
    for (int k = 0; k < 200; ++k) {
      edit.apply(air.state, k);
      air.step();
    }
    for (std::size_t i = flood; i + GroupScheduler::kNameWindow <= air.groups.size(); ++i) {
      EXPECT_GE(std::count_if(air.groups.begin() + static_cast<std::ptrdiff_t>(i),
                              air.groups.begin() +
                                  static_cast<std::ptrdiff_t>(i + GroupScheduler::kNameWindow),
                              [](const RdsGroup& g) { return typeOf(g) == 0; }),
                GroupScheduler::kLeastNamesPerWindow)
          << edit.type << " at " << i;
    }
  }
}

// A first programme type name, given while none was on air, is as much an edit as a new one;
// one that was there when the encoder started waits for its place after the first names.
TEST(GroupScheduler, AFirstTypeNameGivenOnAirTakesTheNextGroup) {
  OnAir air;
  air.state.programmeServiceName = "ORVANE";
  air.state.radiotext = {"Bom dia", ""};
  air.run(3);
  air.state.programmeTypeName = "FADO";
  const RdsGroup& next = air.step();
  EXPECT_EQ(std::tuple(typeOf(next), next.blocks[1] & 1u), std::tuple(10u, 0u));

  OnAir started;
  started.state.programmeServiceName = "ORVANE";
  started.state.programmeTypeName = "FADO";
  EXPECT_EQ(typeOf(started.step()), 0u);
}

// A name of up to eight characters goes out as typed, so an operator's own centring stays. A
// longer one runs through frames of whole words, a word too long cut in pieces of eight, each
// frame on for a hold; so does the time of day, at every :00 and :30.
TEST(GroupScheduler, ServiceNameFramesAndTheTimeEachStayOnForAHold) {
  // clang-format off
  // The name, with the time or not, run for some seconds, and the frames a receiver shows.
  const std::tuple<std::string, bool, double, std::vector<std::string>> rows[] = {
      {" RADIO", false, 3, {" RADIO  "}}, {"", false, 3, {"        "}},
      {"A B C D E F", false, 6, {"A B C D ", "E F     "}},
      {"ANTENA1LISBOA FM", false, 6, {"ANTENA1L", "ISBOA FM"}},
      {"RADIO ORVANE LISBOA 98.5", false, 20,
       {"RADIO   ", "ORVANE  ", "LISBOA  ", "98.5    ", "RADIO   "}},
      {"ORVANE", true, 48, {"ORVANE  ", "  07:30 ", "ORVANE  ", "  07:30 ", "ORVANE  "}}};
  // clang-format on
  for (const auto& [name, time, seconds, shown] : rows) {
    OnAir air;  // 48 s: 07:29:50 to 07:30:38 local
    air.state.programmeServiceName = name;
    air.state.timeInServiceName = time;
    const Station station = air.run(seconds);
    EXPECT_EQ(station.serviceNames, shown) << name;
    for (std::size_t i = 1; i + 1 < station.serviceNameAt.size(); ++i) {
      if (station.serviceNames[i] == "ORVANE  " && time) continue;  // between two times
      const auto held =
          static_cast<double>(station.serviceNameAt[i + 1] - station.serviceNameAt[i]);
      EXPECT_GE(held * kGroupSeconds, 4.0) << station.serviceNames[i];
      EXPECT_LT(held * kGroupSeconds, 5.0) << station.serviceNames[i];
    }
  }
}

// A receiver joins the segments in the order it hears them: a name that comes mid-name starts
// again at segment 0, or the old name's second half would go out behind the new one's first.
TEST(GroupScheduler, ANewServiceNameStartsAtItsFirstSegment) {
  OnAir air;
  for (int i = 0; i < 40; ++i) {  // a new name before every group
    air.state.programmeServiceName = "NOME " + std::to_string(i);
    air.run(kGroupSeconds);
    const RdsGroup& sent = air.groups.back();
    EXPECT_TRUE(typeOf(sent) != 0 || (sent.blocks[1] & 3) == 0)
        << "segment " << (sent.blocks[1] & 3);
  }
}

// Sides of equal length keep the line's order, so one song's tags never trade places.
TEST(RadiotextPlus, SidesOfEqualLengthKeepTheLinesOrder) {
  EXPECT_EQ(tagRadiotext("Abba - Toto", RtPlusFormat::TitleArtist).tags,
            (std::array{RtPlusTag{kItemTitle, 0, 4}, RtPlusTag{kItemArtist, 7, 4}}));
}

// A song's tags may reach past its text (a playout's RTP=, or a state file kept from one): the
// signal goes on, and receivers get the tags as they were given.
TEST(RadiotextPlus, TagsReachingPastTheTextAreSentAsGiven) {
  OnAir air;
  air.scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
  air.state.radiotext = {"A - B", ""};
  air.state.songTags = OnAirState::SongTags{"A - B", {true, {{{4, 0, 1}, {1, 60, 4}}}}};
  const Station station = air.run(8);
  ASSERT_FALSE(station.rtPlus.empty());
  EXPECT_EQ(station.rtPlus.back().items,
            (std::map<int, std::string>{{4, "A"}, {1, "<past the end>"}}));
}

// A scheduler that goes on from another's continuity, as after a restart, changes the A/B flag
// and the item toggle exactly when the message or the song did change meanwhile: receivers keep
// what is the same and clear what is not, whichever line was on air.
TEST(GroupScheduler, GoingOnFromAnotherRunKeepsTheFlagsOfWhatDidNotChange) {
  const std::array<std::string, 2> before = {"Madredeus - O Pastor", "Bom dia"};
  const auto flagOf = [](const RdsGroup& g) { return ((g.blocks[1] >> 4) & 1U) != 0; };
  const auto isRadiotext = [](const RdsGroup& g) { return typeOf(g) == 2; };
  for (const double seconds : {3.0, 7.0}) {  // the song on air, then the other line
    for (const auto& after : {before, {"Dulce Pontes - Canção do Mar", "Bom dia"}}) {
      OnAir first, second;
      first.state.radiotext = before;
      first.scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
      const Station was = first.run(seconds);
      second.scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
      second.scheduler.resume(first.scheduler.continuity(), before);
      second.state.radiotext = after;
      const Station is = second.run(10);
      const auto song = [](const RtPlusSeen& seen) { return !seen.items.empty(); };
      const auto lastSong = std::ranges::find_if(was.rtPlus | std::views::reverse, song);
      const auto firstSong = std::ranges::find_if(is.rtPlus, song);
      ASSERT_TRUE(lastSong != was.rtPlus.rend() && firstSong != is.rtPlus.end()) << seconds;
      EXPECT_EQ(flagOf(*std::ranges::find_if(first.groups | std::views::reverse, isRadiotext)) ==
                    flagOf(*std::ranges::find_if(second.groups, isRadiotext)),
                was.radiotexts.back() == is.radiotexts.front())
          << seconds << " s, " << is.radiotexts.front();
      EXPECT_EQ(lastSong->itemToggle == firstSong->itemToggle, after == before) << seconds;
    }
  }
}

// Receivers apply RadioText Plus tags to the radiotext they hold, so every tagging group must
// describe the message on air as it goes out: the artist and the title of a song line in either
// order, accented letters, a title's own dashes and all 64 characters included, nothing for a
// line that is no song. The item runs while a line holds the song, so the slogan's turn does not
// stop it; it stops with no song in either line. The item toggle flips exactly when another song
// begins, not when the same one comes back.
TEST(RadiotextPlus, EveryTagGroupDescribesTheRadiotextOnAir) {
  const std::string title = "Movimento Perpétuo Associativo, ao vivo no Coliseu 20";  // 53
  const std::string full = "Deolinda - " + title;                                     // 64
  const std::string fado = "Povo que lavas no rio - Amália Rodrigues";
  const std::string jude = "Hey Jude - Remastered 2015 - The Beatles";
  using Items = std::map<int, std::string>;
  // clang-format off
  const std::tuple<RtPlusFormat, std::vector<std::array<std::string, 2>>,
                   std::map<std::string, Items>> rows[] = {  // the lines in turn, what each tags
      {RtPlusFormat::ArtistTitle, {{"Madredeus - O Pastor", "Bom dia, Lisboa"},
                                   {"Madredeus - O Pastor", "Ana Moura -  Desfado "}, {full, ""},
                                   {"Madredeus - O Pastor - Ao Vivo", ""}, {"", "Boa noite"}},
       {{"Madredeus - O Pastor", {{4, "Madredeus"}, {1, "O Pastor"}}}, {"Bom dia, Lisboa", {}},
        {"Madredeus - O Pastor - Ao Vivo", {{4, "Madredeus"}, {1, "O Pastor - Ao Vivo"}}},
        {"Ana Moura -  Desfado ", {{4, "Ana Moura"}, {1, "Desfado"}}},
        {full, {{4, "Deolinda"}, {1, title}}}, {"Boa noite", {}}}},
      {RtPlusFormat::TitleArtist, {{jude, "Bom dia"}, {jude, "Fado - "}},
       {{"Fado - ", {{1, "Fado"}}}, {"Bom dia", {}},
        {jude, {{1, "Hey Jude - Remastered 2015"}, {4, "The Beatles"}}}}},
      {RtPlusFormat::TitleArtist, {{fado, ""}},
       {{fado, {{1, "Povo que lavas no rio"}, {4, "Amália Rodrigues"}}}}}};
  // clang-format on
  for (const auto& [format, lines, tagged] : rows) {
    OnAir air;
    air.scheduler.setRadiotextPlus(format);
    for (const auto& pair : lines) {
      air.state.radiotext = {windows1252FromUtf8(pair[0]), windows1252FromUtf8(pair[1])};
      air.run(20);
    }
    const Station station = air.run(0);
    std::set<std::string> textsTagged;
    const RtPlusSeen* song = nullptr;  // the last one that tagged a song
    for (const RtPlusSeen& seen : station.rtPlus) {
      textsTagged.insert(seen.text);
      const auto expected = tagged.find(seen.text);
      ASSERT_NE(expected, tagged.end()) << seen.text;
      EXPECT_EQ(seen.items, expected->second) << seen.text;
      EXPECT_EQ(seen.itemRunning, seen.text != "Boa noite") << seen.text;
      if (seen.items.empty()) continue;
      EXPECT_TRUE(!song || (seen.itemToggle != song->itemToggle) == (seen.items != song->items))
          << seen.text;
      song = &seen;
    }
    EXPECT_EQ(textsTagged.size(), tagged.size());
  }
}

}  // namespace
}  // namespace orvane::test
