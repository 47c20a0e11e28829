#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "EncoderProcess.h"
#include "PcmFormat.h"
#include "RdsDecoder.h"
#include "TempDir.h"

// The station's multiplex looped through the real program, file to file, and measured the way a
// test instrument measures a hardware encoder in the same place.
namespace orvane::test {
namespace {

constexpr int kRate = 192000;
constexpr double kPilotHertz = 19000 * (1 + 40e-6);  // a sound card's clock 40 ppm off
constexpr double kPilotPhase = 0.7;                  // radians, at the first sample
constexpr double kToneLevel = 0.3;

double pilotAngle(std::size_t n) {
  return 2 * std::numbers::pi * kPilotHertz * static_cast<double>(n) / kRate + kPilotPhase;
}

// A stereo multiplex as an audio processor makes it: 1 kHz left, 2.5 kHz right, the difference
// on 38 kHz, the pilot at 9 %, gone over [gapFrom, gapTo) seconds.
std::vector<std::int16_t> stereoMultiplex(double seconds, double gapFrom = 0, double gapTo = 0) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double left = kToneLevel * std::sin(2 * std::numbers::pi * 1000 * t);
    const double right = kToneLevel * std::sin(2 * std::numbers::pi * 2500 * t);
    const bool pilot = t < gapFrom || t >= gapTo;
    const double mpx = 0.45 * (left + right) / 2 +
                       0.45 * (left - right) / 2 * std::sin(2 * pilotAngle(n)) +
                       (pilot ? 0.09 * std::sin(pilotAngle(n)) : 0);
    samples[n] = static_cast<std::int16_t>(std::lround(mpx * 32767));
  }
  return samples;
}

std::vector<std::int16_t> loopThrough(const TempDir& dir, const std::vector<std::int16_t>& in,
                                      std::vector<std::string>& log) {
  std::string wav = wavHeader(kRate, in.size() * 2);
  appendLittleEndian(wav, in);
  dir.write("in.wav", wav);
  dir.write("station.txt", "PSN=\"ORVANE\"\nTXT0=\"Em linha\"\n");
  EncoderProcess encoder({"--commands", dir.file("station.txt"), "--groups", dir.file("g.txt"),
                          "--mpx-in", dir.file("in.wav"), "--mpx", dir.file("out.wav")});
  for (auto line = encoder.nextEvent(); line; line = encoder.nextEvent()) log.push_back(*line);
  EXPECT_EQ(encoder.waitForExit(), 0);
  return readWav(dir.read("out.wav"), kRate).value_or(std::vector<std::int16_t>{});
}

std::vector<std::int16_t> difference(const std::vector<std::int16_t>& out,
                                     const std::vector<std::int16_t>& in) {
  std::vector<std::int16_t> rds(out.size());
  for (std::size_t n = 0; n < out.size(); ++n) rds[n] = static_cast<std::int16_t>(out[n] - in[n]);
  return rds;
}

double axisOverSecond(const std::vector<std::int16_t>& rds, int second) {
  const auto start = static_cast<std::size_t>(second) * kRate;
  return subcarrierAxisDegrees(std::span(rds).subspan(start, kRate), kRate, kPilotHertz,
                               pilotAngle(start));
}

// Locked within ±10° of three times the pilot every second once taken up; output minus input is
// the RDS signal alone, 70 dB below the programme away from 57 kHz; every group is heard.
TEST(LoopThrough, FollowsThePilotAndLeavesTheProgrammeAlone) {
  TempDir dir;
  const auto in = stereoMultiplex(20);
  std::vector<std::string> log;
  const auto out = loopThrough(dir, in, log);
  ASSERT_EQ(out.size(), in.size());
  const auto rds = difference(out, in);
  for (int second = 1; second < 20; ++second) {
    EXPECT_NEAR(axisOverSecond(rds, second), 0, 10) << second;
  }
  const double floor = kToneLevel * 0.45 / 2 * std::pow(10, -70 / 20.0);
  const auto oneSecond = std::span(rds).subspan(kRate, kRate);
  for (double hertz : {1000.0, 2500.0, 15000.0, 19000 * (1 + 40e-6), 36500.0, 38000.0, 40500.0,
                       53000.0, 54500.0, 59500.0, 61000.0, 76000.0}) {
    EXPECT_LT(measureTone(oneSecond, hertz, kRate).amplitude, floor) << hertz;
  }
  const auto lines = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  auto heard = groupsFromSamples(out, kRate, kPilotHertz);
  ASSERT_GE(lines.size(), 227u);  // 20 s at 1187.5 bit/s, less what is still on its way
  ASSERT_FALSE(heard.empty());
  // The first group goes out while the loop takes the pilot up, the rest all locked.
  const auto first = lines.begin() + (heard.front() == lines[0] ? 0 : 1);
  heard.resize(std::min<std::size_t>(heard.size(), 225));
  EXPECT_EQ(heard, std::vector(first, first + 225));
  EXPECT_EQ(std::ranges::count_if(log, [](const auto& l) { return l.starts_with("Piloto"); }), 1);
}

// With the pilot gone the subcarrier runs on by itself and the log says so; when the pilot comes
// back the lock does too.
TEST(LoopThrough, WithoutThePilotRdsRunsOnAndLocksAgain) {
  TempDir dir;
  const auto in = stereoMultiplex(8, 2, 4);
  std::vector<std::string> log;
  const auto rds = difference(loopThrough(dir, in, log), in);
  std::vector<std::string> pilot;
  for (const auto& line : log) {
    if (line.starts_with("Piloto") || line.starts_with("Sem piloto"))
      pilot.push_back(line.substr(0, 6));
  }
  EXPECT_EQ(pilot, (std::vector<std::string>{"Piloto", "Sem pi", "Piloto"}));
  ASSERT_EQ(rds.size(), in.size());
  EXPECT_NEAR(axisOverSecond(rds, 6), 0, 10);
  EXPECT_NEAR(axisOverSecond(rds, 7), 0, 10);
}

}  // namespace
}  // namespace orvane::test
