#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <regex>
#include <string>
#include <vector>

#include "EncoderProcess.h"
#include "HttpClient.h"
#include "PcmFormat.h"
#include "RdsDecoder.h"
#include "TempDir.h"

// The signal played to a sound card through ALSA, with no hardware: an ALSA configuration of the
// test's own names a card whose samples go to a file (the `file` plugin over the `null` device),
// and the test's receiver reads the groups back from that file.
namespace orvane::test {
namespace {

constexpr int kCardRate = 192000;

std::string fileCard(const TempDir& dir) {
  return "pcm.orvane { type file slave { pcm { type null } } file \"" +
         dir.file("card.raw").string() + "\" format \"raw\" }\n";
}

std::function<void()> alsaConfig(const TempDir& dir) {
  const std::string path = dir.file("asound.conf").string();
  return [path] { setenv("ALSA_CONFIG_PATH", path.c_str(), 1); };
}

std::vector<std::int16_t> samplesOf(const std::string& raw) {
  std::vector<std::int16_t> samples(raw.size() / 2);
  std::memcpy(samples.data(), raw.data(), samples.size() * 2);
  return samples;
}

// What the card played is what was scheduled, group for group, at the card's rate.
TEST(SoundCard, WhatTheCardPlaysIsEveryGroup) {
  TempDir dir;
  dir.write("asound.conf", fileCard(dir));
  dir.write("station.txt", "PSN=\"ORVANE\"\nTXT0=\"Na placa\"\n");
  EncoderProcess encoder({"--commands", dir.file("station.txt"), "--groups", dir.file("g.txt"),
                          "--audio", "orvane", "--seconds", "3"},
                         EncoderProcess::Log::OnStandardOutput, alsaConfig(dir));
  ASSERT_EQ(encoder.waitForExit(), 0);
  const auto played = samplesOf(dir.read("card.raw"));
  EXPECT_GE(played.size(), 3u * kCardRate - 4096);  // all but the last part of a period
  const auto lines = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  auto heard = groupsFromSamples(played, kCardRate);
  ASSERT_GE(heard.size(), 30u);
  heard.resize(30);
  EXPECT_EQ(heard, std::vector(lines.begin(), lines.begin() + 30));
}

// A loop-through from a card's input to a card's output: the programme passes, RDS is added and
// heard. The capture card plays a file of the test's (the `file` plugin's `infile`).
TEST(SoundCard, ALoopThroughFromCardToCardAddsRdsAndKeepsTheProgramme) {
  TempDir dir;
  std::vector<std::int16_t> station(2 * kCardRate);
  for (std::size_t n = 0; n < station.size(); ++n) {
    const double t = static_cast<double>(n) / kCardRate;
    station[n] = static_cast<std::int16_t>(
        std::lround(32767 * (0.09 * std::sin(2 * std::numbers::pi * 19000 * t) +
                             0.3 * std::sin(2 * std::numbers::pi * 1000 * t))));
  }
  std::string raw;
  appendLittleEndian(raw, station);
  dir.write("station.raw", raw);
  dir.write("asound.conf", fileCard(dir) +
                               "pcm.processor { type file slave { pcm { type null } } file "
                               "\"/dev/null\" infile \"" +
                               dir.file("station.raw").string() + "\" format \"raw\" }\n");
  dir.write("station.txt", "PSN=\"ORVANE\"\n");
  EncoderProcess encoder({"--commands", dir.file("station.txt"), "--groups", dir.file("g.txt"),
                          "--mpx-in", "alsa:processor", "--audio", "orvane", "--seconds", "2"},
                         EncoderProcess::Log::OnStandardOutput, alsaConfig(dir));
  ASSERT_EQ(encoder.waitForExit(), 0);
  const auto played = samplesOf(dir.read("card.raw"));
  ASSERT_EQ(played.size(), station.size());
  std::vector<std::int16_t> rds(played.size());
  for (std::size_t n = 0; n < rds.size(); ++n) {
    rds[n] = static_cast<std::int16_t>(played[n] - station[n]);
  }
  EXPECT_LT(measureTone(std::span(rds).subspan(kCardRate / 2), 1000, kCardRate).amplitude, 1e-4);
  const auto lines = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  const auto heard = groupsFromSamples(std::span(played).subspan(kCardRate / 2), kCardRate);
  ASSERT_GE(heard.size(), 8u);
  EXPECT_NE(std::search(lines.begin(), lines.end(), heard.begin(), heard.begin() + 8), lines.end());
}

// A card that is not there raises an alarm while the console is served all the same; it is tried
// again until it comes, and then played to.
TEST(SoundCard, ACardThatIsNotThereIsTriedAgainWhileTheEncoderServes) {
  TempDir dir;
  dir.write("asound.conf", "pcm.other { type null }\n");
  EncoderProcess encoder({"--port", "0", "--http", "0", "--audio", "orvane"},
                         EncoderProcess::Log::OnStandardOutput, alsaConfig(dir));
  std::uint16_t http = 0;
  std::vector<std::string> log;
  const std::regex httpLine("HTTP em [\\d.]+:(\\d+)");
  for (auto line = encoder.nextLine();
       line && line->find("Alarme: placa de som") == std::string::npos; line = encoder.nextLine()) {
    std::smatch found;
    if (std::regex_search(*line, found, httpLine)) http = std::stoi(found[1]);
    log.push_back(*line);
  }
  ASSERT_NE(http, 0);
  EXPECT_NE(std::ranges::count_if(log,
                                  [](const auto& l) {
                                    return l.find("Placa de som orvane (saída) em falta") !=
                                           std::string::npos;
                                  }),
            0);
  const HttpReply status =
      exchangeHttp(http, "GET /status HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(status.status, 200);
  EXPECT_NE(status.body.find("\"placa_de_som_em_falta\""), std::string::npos) << status.body;

  // ALSA sees a change by the file's time in whole seconds: the new one is put a few ahead. The
  // card now plays to nowhere, since the null device takes samples as fast as they come.
  dir.write("asound.conf", "pcm.orvane { type null }\n");
  const auto file = dir.file("asound.conf");
  std::filesystem::last_write_time(
      file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
  EXPECT_TRUE(encoder.skipPast("Placa de som orvane (saída) de volta"));
  EXPECT_EQ(encoder.waitForExit(SIGTERM), 0);
}

}  // namespace
}  // namespace orvane::test
