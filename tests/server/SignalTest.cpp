#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <tuple>

#include "EncoderProcess.h"
#include "RdsDecoder.h"
#include "SignalOutput.h"
#include "SignalSetup.h"
#include "TempDir.h"
#include "Windows1252.h"

// The output stage, and the real program's outputs read back by the test receiver: what the
// console sets is what a receiver shows.
namespace orvane::test {
namespace {

// On the clock, a group is made when it is due, from the state as it is then, so that a change
// goes on air within a group; as fast as written, a reader that stops holds the signal back
// without the stage blocking or piling data up.
TEST(SignalOutput, MakesEachGroupWhenItIsDueOrWhenTheReaderTakesIt) {
  TempDir dir;
  OnAirState state;
  std::string error;
  std::int64_t now = 5'000'000;
  SignalOutput clocked(state, GroupScheduler(0x8201, [](std::int64_t) { return 0; }),
                       {Pacing::Clock, std::nullopt, 0}, [&] { return now; });
  clocked.setGroupOutput(*OutputStream::open(dir.file("g.txt"), error));
  EXPECT_TRUE(clocked.service());
  EXPECT_EQ(clocked.groupsMade(), 2);  // the one on air now, and the next
  EXPECT_EQ(clocked.wait().timeoutMs, 88);
  state.trafficAnnouncement = true;
  now += 1'000'000;
  EXPECT_TRUE(clocked.service());
  const auto groups = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  ASSERT_EQ(groups.size(), 13u);
  EXPECT_FALSE(decodeStation(std::span(groups).first(2)).trafficAnnouncement);
  EXPECT_TRUE(decodeStation(groups).trafficAnnouncement);

  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  SignalOutput piped(state, GroupScheduler(0x8201, [](std::int64_t) { return 0; }),
                     {Pacing::AsFastAsWritten, std::nullopt, 0}, [] { return 0; });
  piped.setMpxOutput(*OutputStream::open("/proc/self/fd/" + std::to_string(ends[1]), error), false);
  close(ends[1]);
  for (int turn = 0; turn < 100; ++turn) EXPECT_TRUE(piped.service());
  const std::int64_t stalled = piped.groupsMade();
  EXPECT_LT(stalled, 10);  // a pipe's worth and the stage's own bound
  std::vector<char> sink(1 << 20);
  ASSERT_GT(read(ends[0], sink.data(), sink.size()), 0);
  EXPECT_TRUE(piped.service());
  EXPECT_GT(piped.groupsMade(), stalled);
  close(ends[0]);
}

// A minute and a bit, so that one minute edge and its clock-time group fall inside, with
// RadioText Plus and alternative frequencies on. The file has no ENCODE: its end is one.
TEST(Signal, FromACommandFileBothOutputsCarryWhatWasSent) {
  TempDir dir;
  dir.write("station.txt",
            windows1252FromUtf8(
                "PTY=1A\nPSN=\"RÁDIO ORVANE\"\n"
                "TXT0=\"Bom dia, Lisboa! A música não pára.\"\n"
                "TXT1=\"Amália Rodrigues - Povo que lavas no rio\"\n"
                "DEF1ATIME=05+0A1E\nDI=0B\nTA=01\nTP=01\nMS=00\nGROUP1A=01\nGROUP4A=01\n"));
  const time_t before = time(nullptr);
  EncoderProcess encoder({"--commands", dir.file("station.txt"), "--pi", "1234", "--groups",
                          dir.file("g.txt"), "--mpx", dir.file("out.wav"), "--seconds", "61",
                          "--rtplus", "--af", "87.6,101.2,105.4"});
  EXPECT_EQ(encoder.waitForExit(), 0);

  const auto groups = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  EXPECT_EQ(groups.size(), 697u);  // 61 s at 1187.5 bit/s, the last group begun
  const Station station = decodeStation(groups);
  // The name's frames and both lines, nothing else; their turns are for the scheduler's tests.
  const auto seen = [](const auto& texts) { return std::set(texts.begin(), texts.end()); };
  EXPECT_EQ(std::tuple(station.pi.value_or(0), station.programmeType, station.trafficAnnouncement,
                       station.trafficProgramme, station.music, station.decoderIdentification,
                       station.programmeItem.value_or(0), seen(station.serviceNames),
                       seen(station.radiotexts)),
            std::tuple(0x1234, 0x1A, true, true, false, 0x0B, (5 << 11) | (10 << 6) | 30,
                       std::set<std::string>{"RÁDIO   ", "ORVANE  "},
                       std::set<std::string>{"Bom dia, Lisboa! A música não pára.",
                                             "Amália Rodrigues - Povo que lavas no rio"}));
  EXPECT_EQ(station.alternativeFrequencies, (std::vector<int>{87600, 101200, 105400}));
  std::set<std::map<int, std::string>> tagged;
  for (const RtPlusSeen& tags : station.rtPlus) tagged.insert(tags.items);
  EXPECT_EQ(tagged, (std::set<std::map<int, std::string>>{
                        {}, {{4, "Amália Rodrigues"}, {1, "Povo que lavas no rio"}}}));
  ASSERT_FALSE(station.clockTimes.empty());  // two when the signal began just past a minute
  for (const ClockTimeSeen& clock : station.clockTimes) {
    const std::int64_t edge = (std::int64_t{clock.modifiedJulianDay} - 40587) * 86400 +
                              clock.hour * 3600 + clock.minute * 60;
    EXPECT_GT(edge, before);
    EXPECT_LE(edge, before + 63);
    // RDS counts the offset in half hours; zones such as UTC+5:45 are rounded to the nearest.
    EXPECT_EQ(clock.offsetHalfHours, std::lround(systemLocalOffsetMinutes(edge) / 30.0));
  }

  // The multiplex carries the same groups: the first nine seconds, and around the clock time.
  const auto wav = readWav(dir.read("out.wav")).value_or(std::vector<std::int16_t>{});
  ASSERT_EQ(wav.size(), 61u * 228000);
  const auto hear = [&](std::size_t firstGroup, std::size_t count) {
    return groupsFromSamples(std::span(wav).subspan(firstGroup * 104 * 192, count * 104 * 192));
  };
  EXPECT_EQ(hear(0, 100), std::vector(groups.begin(), groups.begin() + 99));
  const std::size_t clockGroup = station.clockTimes[0].group;
  EXPECT_EQ(std::ranges::count(hear(clockGroup - 2, 5), groups[clockGroup]), 1);

  // Its first second: the pilot at 9 %, RDS peaking at 4.5 % and within 57 kHz +- 2.4 kHz, clear
  // of the programme audio, the pilot and the stereo band, where receivers would hear it as noise.
  const auto second = std::span(wav).first(228000);
  const PilotMeasure pilot = measureTone(second, 19000);
  EXPECT_NEAR(pilot.amplitude, 0.09, 0.001);
  double peak = 0;
  for (std::size_t n = 0; n < second.size(); ++n) {
    const double angle = 2 * std::numbers::pi * static_cast<double>(n) / 12 + pilot.phase;
    peak = std::max(peak, std::abs(second[n] / 32767.0 - pilot.amplitude * std::sin(angle)));
  }
  EXPECT_NEAR(peak, 0.045, 0.002);
  double inBand = 0;  // the mean over the band, robust to the dips the data leaves in it
  for (double hertz = 55800; hertz <= 58200; hertz += 200) {
    inBand += measureTone(second, hertz).amplitude / 13;
  }
  for (double hertz : {100.0, 1000.0, 5000.0, 15000.0, 18000.0, 20000.0, 25000.0, 38000.0, 50000.0,
                       53000.0, 54500.0, 59500.0, 61000.0, 70000.0, 100000.0}) {
    EXPECT_LT(measureTone(second, hertz).amplitude, inBand / 100) << hertz;
  }
}

// The console changes the state while the signal runs, and the raw stream on standard output
// keeps a reader's pace. The reader here stops reading until the console is done, so the
// console's replies prove that a stalled reader never holds the connection up; a reader that
// goes away ends the signal as a failure, never as a success.
TEST(Signal, ConsoleChangesReachTheRawStreamAReaderTakes) {
  EncoderProcess encoder({"--port", "0", "--mpx", "-"}, EncoderProcess::Log::OnStandardError);
  TestClient console(encoder.port());
  ASSERT_TRUE(encoder.skipPast("Cliente ligado"));
  ASSERT_TRUE(
      console.send(windows1252FromUtf8("PSN=\"Antena Ç\"\nTXT0=\"Olá\"\nENCODE\nTA=01\nX\n")));
  EXPECT_EQ(console.readLine(), "ERRO: comando desconhecido \"X\"");

  // Six seconds of samples from here on carry the new state.
  std::vector<std::int16_t> samples(6 * 228000);
  auto* bytes = reinterpret_cast<char*>(samples.data());
  for (std::size_t got = 0; got < samples.size() * 2;) {
    pollfd p{encoder.signalFd(), POLLIN, 0};
    const ssize_t n = poll(&p, 1, kPatienceMs) == 1
                          ? read(encoder.signalFd(), bytes + got, samples.size() * 2 - got)
                          : -1;
    ASSERT_GT(n, 0);
    got += static_cast<std::size_t>(n);
  }
  const Station heard = decodeStation(groupsFromSamples(samples));
  ASSERT_FALSE(heard.serviceNames.empty() || heard.radiotexts.empty());
  EXPECT_EQ(
      std::tuple(heard.serviceNames.back(), heard.radiotexts.back(), heard.trafficAnnouncement),
      std::tuple("Antena Ç", "Olá", true));
  encoder.closeSignal();
  EXPECT_EQ(encoder.waitForExit(), 1);
}

// On the clock the signal takes its real time, but for one group that may go out ahead of it.
TEST(Signal, OnTheClockItTakesItsRealTime) {
  const auto start = std::chrono::steady_clock::now();
  EncoderProcess encoder(
      {"--commands", "/dev/null", "--groups", "-", "--realtime", "--seconds", "0.5"},
      EncoderProcess::Log::OnStandardError);
  EXPECT_EQ(encoder.waitForExit(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start,
            std::chrono::duration<double>(0.5 - 2 * 104 / 1187.5));
}

}  // namespace
}  // namespace orvane::test
