#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "EncoderProcess.h"
#include "MpxDemodulator.h"
#include "RdsDecoder.h"
#include "SignalSetup.h"
#include "TempDir.h"
#include "Windows1252.h"

// The real program's outputs read back by the test receiver: what the console sets is what a
// receiver shows.
namespace orvane::test {
namespace {

constexpr double kSecondsPerGroup = 104 / 1187.5;

const std::string kStation = windows1252FromUtf8(
    "PTY=1A\n"
    "PSN=\"RÁDIO ORVANE\"\n"
    "TXT0=\"Bom dia, Lisboa! A música não pára.\"\n"
    "TXT1=\"Trânsito: ponte 25 de Abril sem filas às 8h\"\n"
    "DEF1ATIME=05+0A1E\n"
    "DI=0B\nTA=01\nTP=01\nMS=00\nGROUP1A=01\nGROUP4A=01\n");  // no ENCODE: the file's end is one

void expectStation(const Station& station) {
  EXPECT_EQ(station.pi, 0x1234);
  EXPECT_EQ(station.programmeType, 0x1A);
  EXPECT_TRUE(station.trafficAnnouncement);
  EXPECT_TRUE(station.trafficProgramme);
  EXPECT_FALSE(station.music);
  EXPECT_EQ(station.decoderIdentification, 0x0B);
  EXPECT_EQ(station.programmeItem, (5 << 11) | (10 << 6) | 30);
  ASSERT_GE(station.serviceNames.size(), 2u);
  EXPECT_EQ(station.serviceNames[0], "RÁDIO   ");
  EXPECT_EQ(station.serviceNames[1], "ORVANE  ");
  ASSERT_GE(station.radiotexts.size(), 2u);
  EXPECT_EQ(station.radiotexts[0], "Bom dia, Lisboa! A música não pára.");
  EXPECT_EQ(station.radiotexts[1], "Trânsito: ponte 25 de Abril sem filas às 8h");
}

std::span<const std::int16_t> groupSamples(const WavFile& wav, std::size_t first,
                                           std::size_t count) {
  const std::size_t perGroup = 104 * 192;
  const std::size_t end = std::min(wav.samples.size(), (first + count) * perGroup);
  return std::span(wav.samples).subspan(first * perGroup, end - first * perGroup);
}

// A minute and a bit, so that one minute edge and its clock-time group fall inside.
TEST(Signal, FromACommandFileBothOutputsCarryWhatWasSent) {
  TempDir dir;
  dir.write("station.txt", kStation);
  const std::string g = dir.file("g.txt"), wavPath = dir.file("out.wav");
  const time_t before = time(nullptr);
  EncoderProcess encoder({"--commands", dir.file("station.txt"), "--pi", "1234", "--groups", g,
                          "--mpx", wavPath, "--seconds", "61"});
  EXPECT_EQ(encoder.waitForExit(), 0);

  const auto groups = groupsFromHex(dir.read("g.txt"));
  ASSERT_TRUE(groups);
  EXPECT_EQ(groups->size(), 697u);  // 61 s at 1187.5 bit/s, the last group begun
  const Station station = decodeStation(*groups);
  expectStation(station);
  ASSERT_EQ(station.clockTimes.size(), 1u);
  const ClockTimeSeen clock = station.clockTimes[0];
  const std::int64_t edge = (std::int64_t{clock.modifiedJulianDay} - 40587) * 86400 +
                            clock.hour * 3600 + clock.minute * 60;
  EXPECT_GT(edge, before);
  EXPECT_LE(edge, before + 63);
  EXPECT_EQ(clock.offsetHalfHours * 30, systemLocalOffsetMinutes(edge));

  // The multiplex carries the same groups: the first fifteen seconds, and around the clock time.
  const auto wav = readWav(dir.read("out.wav"));
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->format, 1);
  EXPECT_EQ(wav->channels, 1);
  EXPECT_EQ(wav->bitsPerSample, 16);
  EXPECT_EQ(wav->sampleRate, 228000u);
  EXPECT_EQ(wav->dataSize, 61u * 228000 * 2);
  EXPECT_EQ(wav->riffSize, wav->dataSize + 36);
  EXPECT_EQ(wav->samples.size(), 61u * 228000);
  const auto heard = groupsFromBits(demodulate(groupSamples(*wav, 0, 172)));
  ASSERT_EQ(heard.size(), 171u);
  EXPECT_TRUE(std::equal(heard.begin(), heard.end(), groups->begin()));
  expectStation(decodeStation(heard));
  const auto around = groupsFromBits(demodulate(groupSamples(*wav, clock.group - 2, 5)));
  EXPECT_NE(std::ranges::find(around, (*groups)[clock.group]), around.end());
}

// The console changes the state while the signal runs, and the raw stream on standard output
// keeps a reader's pace. The reader here stops reading until the console is done, so the
// console's replies prove that a stalled reader never holds the connection up.
TEST(Signal, ConsoleChangesReachTheRawStreamAReaderTakes) {
  TempDir dir;
  EncoderProcess encoder({"--port", "0", "--mpx", "-", "--groups", dir.file("g.txt")},
                         EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  TestClient console(encoder.port());
  ASSERT_TRUE(encoder.skipPast("Cliente ligado"));
  ASSERT_TRUE(
      console.send(windows1252FromUtf8("PSN=\"Antena Ç\"\nTXT0=\"Olá\"\nENCODE\nTA=01\nX\n")));
  EXPECT_EQ(console.readLine(), "ERRO: comando desconhecido \"X\"");

  // Six seconds of samples from here on carry the new state.
  std::string raw;
  while (raw.size() < 6 * 228000 * 2) {
    pollfd p{encoder.signalFd(), POLLIN, 0};
    char chunk[65536];
    const ssize_t got =
        poll(&p, 1, kPatienceMs) == 1 ? read(encoder.signalFd(), chunk, sizeof chunk) : -1;
    ASSERT_GT(got, 0);
    raw.append(chunk, static_cast<std::size_t>(got));
  }
  std::vector<std::int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  const Station heard = decodeStation(groupsFromBits(demodulate(samples)));
  EXPECT_EQ(heard.serviceNames.back(), "Antena Ç");
  EXPECT_EQ(heard.radiotexts.back(), "Olá");
  EXPECT_TRUE(heard.trafficAnnouncement);
  EXPECT_EQ(encoder.waitForExit(SIGTERM), 0);
  const auto written = groupsFromHex(dir.read("g.txt"));
  ASSERT_TRUE(written);
  EXPECT_EQ(decodeStation(*written).serviceNames.back(), "Antena Ç");
}

TEST(Signal, OnTheClockItTakesItsRealTime) {
  TempDir dir;
  dir.write("station.txt", "PSN=\"X\"\n");
  const auto start = std::chrono::steady_clock::now();
  EncoderProcess encoder(
      {"--commands", dir.file("station.txt"), "--groups", "-", "--realtime", "--seconds", "0.5"},
      EncoderProcess::Log::OnStandardError);
  EXPECT_EQ(encoder.waitForExit(), 0);
  // One group may go out ahead of its time.
  EXPECT_GE(std::chrono::steady_clock::now() - start,
            std::chrono::duration<double>(0.5 - 2 * kSecondsPerGroup));
}

TEST(Signal, RefusesWhatWouldLoseOrMixOutput) {
  TempDir dir;
  dir.write("ok.txt", "PTY=01\n");
  dir.write("bad.txt", "PTY=01\nPTY=20\n");
  const std::string ok = dir.file("ok.txt");
  const std::vector<std::vector<std::string>> usage = {
      {"--seconds", "5"},
      {"--groups", "-", "--seconds", "0"},
      {"--groups", "-", "--seconds", "nan"},
      {"--pi", "0", "--groups", "-"},
      {"--pi", "12345", "--groups", "-"},
      {"--groups", "-", "--mpx", "-"},
      {"--groups", "same", "--mpx", "same"},
      {"--commands", ok, "--port", "7000", "--groups", "-"},
      {"--commands", ok, "--groups", dir.file("g.txt")},
      {"--mpx", dir.file("long.wav"), "--seconds", "10000"},
      {"--commands", dir.file("bad.txt"), "--groups", "-"}};
  for (const auto& args : usage) {
    EXPECT_EQ(EncoderProcess(args, EncoderProcess::Log::OnStandardError).waitForExit(), 2)
        << args[0] << " " << args[1];
  }
  EXPECT_EQ(EncoderProcess({"--commands", ok, "--mpx", "/nonexistent/x.wav", "--seconds", "1"},
                           EncoderProcess::Log::OnStandardError)
                .waitForExit(),
            1);
}

}  // namespace
}  // namespace orvane::test
