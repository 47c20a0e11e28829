#include <gtest/gtest.h>

#include <sstream>

#include "AirLog.h"
#include "CommandParser.h"
#include "EncoderState.h"

namespace orvane {
namespace {

using Lines = std::vector<std::string>;

// Feeds command lines as the console would send them and collects what went on air.
Lines send(EncoderState& state, const Lines& commands) {
  Lines changes;
  for (const auto& line : commands) {
    const ParseResult parsed = parseCommand(line);
    EXPECT_TRUE(std::holds_alternative<Command>(parsed)) << line;
    if (!std::holds_alternative<Command>(parsed)) continue;
    for (auto& change : state.apply(std::get<Command>(parsed))) changes.push_back(change);
  }
  return changes;
}

TEST(EncoderState, SwitchesGoOnAirAtOnce) {
  EncoderState state;
  EXPECT_EQ(send(state, {"TA=01"}), Lines{"TA sim (anúncio de trânsito no ar)"});
  EXPECT_TRUE(state.onAir().trafficAnnouncement);
  EXPECT_EQ(send(state, {"DI= 3", "TIMEINPSN=01", "TP=00", "MS=00", "GROUP4A=01", "GROUP1A=01"}),
            (Lines{"DI 03 Emissão Estereo Simulado.", "Hora no PS sim", "TP não", "MS fala",
                   "Grupo 4A (relógio) ligado", "Grupo 1A (início do programa) ligado"}));
  EXPECT_EQ(send(state, {"DI=0C"}), Lines{"DI 0C Emissão Mono com Dolby NR. PTY dinâmico."});
}

TEST(EncoderState, EncodeReleasesTheLastHeldValuesOnceAndReportsOnlyChanges) {
  EncoderState state;
  EXPECT_TRUE(send(state, {"PTY=0A", "DEF1ATIME=05+0A1E"}).empty());
  EXPECT_EQ(state.onAir(), OnAirState{});
  EXPECT_EQ(send(state, {"TXT0=\"a\"", "TXT0=\"b\"", "PTY=00", "ENCODE"}),
            (Lines{"RTXT1 \"b\"", "Início do programa dia 5, 10:30"}));
  EXPECT_EQ(state.onAir().programmeItemTime, (ProgrammeItemTime{5, 10, 30}));
  EXPECT_TRUE(send(state, {"TXT0=\"b\"", "ENCODE", "ENCODE", "TA=00", "MS=01"}).empty());
  EXPECT_EQ(send(state, {"TXT0=\"\"", "ENCODE"}), Lines{"RTXT1 \"\""});
}

TEST(EncoderState, ABrokenBatchCanBeDropped) {
  EncoderState state;
  (void)send(state, {"TXT0=\"half\"", "TA=01"});
  EXPECT_TRUE(state.discardPending());
  EXPECT_FALSE(state.discardPending());
  EXPECT_TRUE(send(state, {"ENCODE"}).empty());
  EXPECT_TRUE(state.onAir().trafficAnnouncement);  // switches already on air stay there
}

TEST(AirLog, StampsEveryLineOfOneCommandWithTheSameTime) {
  std::ostringstream out;
  int calls = 0;
  AirLog log(out, [&calls] {
    ++calls;
    return WallClockTime{2024, 3, 9, 7, 5, 4};
  });
  log.write(Lines{"PTY 0A Música Pop", "RTXT1 \"x\""});
  log.write(Lines{});
  EXPECT_EQ(out.str(),
            "2024-03-09 07:05:04  PTY 0A Música Pop\n"
            "2024-03-09 07:05:04  RTXT1 \"x\"\n");
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace orvane
