#include <gtest/gtest.h>

#include "Checkword.h"
#include "GroupBuilder.h"
#include "RdsCharset.h"
#include "RdsDecoder.h"
#include "Windows1252.h"

namespace orvane::test {
namespace {

constexpr GroupHeader kHeader{0x8201, true, 10};

// The receiver's syndrome must name each block's offset, and no burst of up to ten wrong bits may
// pass for a good block with that offset: what a wrong polynomial or offset word would break.
TEST(Checkword, ReceiversFindEveryOffsetAndCatchEveryShortBurst) {
  const std::array<std::pair<Offset, BlockOffset>, 5> offsets = {
      {{Offset::A, BlockOffset::A},
       {Offset::B, BlockOffset::B},
       {Offset::C, BlockOffset::C},
       {Offset::CPrime, BlockOffset::CPrime},
       {Offset::D, BlockOffset::D}}};
  for (std::uint32_t info : {0x0000U, 0xFFFFU, 0x8201U, 0x2A9EU, 0x5A5AU}) {
    for (const auto& [sent, expected] : offsets) {
      const std::uint32_t block = encodeBlock(static_cast<std::uint16_t>(info), sent);
      ASSERT_EQ(block >> 10, info);
      EXPECT_EQ(offsetOf(block), expected) << std::hex << info;
      for (std::uint32_t burst = 1; burst < (1U << 10); burst += 2) {
        for (int shift = 0; shift + std::bit_width(burst) <= 26; ++shift) {
          ASSERT_NE(offsetOf(block ^ (burst << shift)), expected)
              << std::hex << info << " burst " << burst << " at " << shift;
        }
      }
    }
  }
  EXPECT_EQ(hexLine({{0x8201, 0x0548, 0xE0CD, 0x52C0}}), "8201 0548 E0CD 52C0");
}

TEST(GroupBuilder, ServiceNameCarriesTheFlagsAndOneDecoderBitPerSegment) {
  // DI 0b1010: d3 (dynamic PTY) and d1 (artificial head) set.
  std::vector<RdsGroup> groups;
  for (int segment = 0; segment < 4; ++segment) {
    groups.push_back(serviceNameGroup(
        kHeader, segment, std::string("ORVANE  ").substr(2 * segment, 2), true, false, 0b1010));
  }
  for (const RdsGroup& g : groups) EXPECT_EQ(g.blocks[2], 0xE0CD);
  const Station station = decodeStation(groups);
  EXPECT_EQ(station.pi, 0x8201);
  EXPECT_EQ(station.programmeType, 10);
  EXPECT_TRUE(station.trafficProgramme);
  EXPECT_TRUE(station.trafficAnnouncement);
  EXPECT_FALSE(station.music);
  EXPECT_EQ(station.decoderIdentification, 0b1010);
  EXPECT_EQ(station.serviceNames, std::vector<std::string>{"ORVANE  "});
  EXPECT_EQ(station.typeSequence, (std::vector<std::string>(4, "0A")));
}

TEST(GroupBuilder, RadiotextProgrammeItemAndClockTime) {
  const RdsGroup text = radiotextGroup(kHeader, 15, true, "abcd");
  EXPECT_EQ(text.blocks[1], 0x2540 | 0x10 | 15);
  EXPECT_EQ(text.blocks[2], 0x6162);
  EXPECT_EQ(text.blocks[3], 0x6364);

  EXPECT_EQ(decodeStation(std::vector{programmeItemGroup(kHeader, {31, 23, 59})}).programmeItem,
            (31 << 11) | (23 << 6) | 59);

  // 2024-03-09 10:30 UTC is MJD 60378; Lisbon in summer is +2 half-hours, Brasília -6,
  // Kathmandu (+5:45) goes to the nearest half-hour.
  const std::int64_t when = 1709980200 + 59;  // the seconds are dropped
  struct Row {
    int offsetMinutes, halfHours;
  };
  for (const Row row : {Row{60, 2}, Row{-180, -6}, Row{345, 12}, Row{0, 0}}) {
    const ClockTime time = clockTimeAt(when, row.offsetMinutes);
    EXPECT_EQ(time, (ClockTime{60378, 10, 30, row.halfHours}));
    const auto seen = decodeStation(std::vector{clockTimeGroup(kHeader, time)}).clockTimes;
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].modifiedJulianDay, 60378);
    EXPECT_EQ(seen[0].hour, 10);
    EXPECT_EQ(seen[0].minute, 30);
    EXPECT_EQ(seen[0].offsetHalfHours, row.halfHours);
  }
  EXPECT_EQ(clockTimeAt(-1, 0), (ClockTime{40586, 23, 59, 0}));
}

TEST(GroupBuilder, NoFieldSpillsIntoItsNeighbour) {
  const GroupHeader wild{0xFFFF, false, 0xFF};
  EXPECT_EQ(serviceNameGroup(wild, 7, "ab", false, false, 0xFF).blocks[1], 0x03E7);
  EXPECT_EQ(radiotextGroup(wild, 31, false, "").blocks[1], 0x23EF);
  EXPECT_EQ(radiotextGroup(wild, 0, false, "").blocks[2], 0x2020);
}

// Portuguese as the console types it, back off a receiver's display.
TEST(RdsCharset, PortugueseAndTheCharactersTheSetHasComeBackAsTyped) {
  const std::string portuguese = "áàâãéêíóôõúçÁÀÂÃÉÊÍÓÔÕÚÇºª";
  EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8(portuguese))), portuguese);
  EXPECT_EQ(rdsText(windows1252FromUtf8("áàéíóúâêôçÇãõÁÉÃÕºª")),
            "\x80\x81\x82\x84\x86\x88\x90\x92\x96\x9B\x8B\xF0\xF6\xC0\xC2\xE0\xE6\xB0\xA0");
  const std::string others = "€£$©‰µ¿¡§°±²³¼½¾÷ßŠšŽžŒœÄÖÜäöüÑñÅåÆæØøðÞþÝý";
  EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8(others))), others);
}

TEST(RdsCharset, WhatTheSetLacksBecomesALookAlikeNeverARawOrControlByte) {
  EXPECT_EQ(utf8FromRds(rdsText("$ ^ ` ~")), "$ ? ' -");
  EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8("‘x’ “y” – … ™ ÿ"))), "'x' \"y\" - . ? y");
  EXPECT_EQ(utf8FromRds(rdsText(windows1252FromUtf8("Ð×¢"))), "Đxc");
  for (int b = 0; b < 256; ++b) {
    const std::uint8_t code = rdsCharacter(static_cast<char>(b));
    EXPECT_TRUE(code >= 0x20 && code != 0x7F && code != 0xFF) << b;
  }
}

}  // namespace
}  // namespace orvane::test
