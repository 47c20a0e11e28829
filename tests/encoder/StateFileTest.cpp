#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "EncoderProcess.h"
#include "KeptAir.h"
#include "RdsDecoder.h"
#include "TempDir.h"

// The air kept across restarts: the file's format on its own, then the real program killed and
// started again on it.
namespace orvane::test {
namespace {

using Clock = std::chrono::steady_clock;

KeptAir fullAir() {
  KeptAir kept;
  OnAirState& a = kept.air;
  a.programmeType = 10;
  a.programmeServiceName = "RÁDIO   ORVANE  ";
  for (int byte = 0x20; byte <= 0xFF; ++byte) {
    if (byte != 0x7F) a.programmeServiceName += static_cast<char>(byte);
  }
  a.radiotext = {"Ol\xE1 \x80 mundo", "Segunda"};
  a.programmeItemTime = {5, 10, 30};
  a.clockTimeGroups = a.programmeItemGroups = a.timeInServiceName = true;
  a.decoderIdentification = 9;
  a.trafficAnnouncement = a.trafficProgramme = true;
  a.music = false;
  a.programmeTypeName = "Fado";
  a.longServiceName = "Rádio Orvane — ♪";
  a.enhancedRadiotext = "Ελληνικά, Кириллица — ♪";
  a.songTags = OnAirState::SongTags{"A - B", {true, {{{4, 0, 1}, {1, 4, 1}}}}};
  kept.songEndsUnixMicros = 1'800'000'000'000'000;
  kept.trafficEndsUnixMicros = 1'800'000'300'000'000;
  return kept;
}

TEST(KeptAir, EveryValueAndByteComesBackAndNothingElseIsTaken) {
  const std::string text = keptAirText(fullAir());
  const auto back = readKeptAir(text);
  ASSERT_TRUE(std::holds_alternative<KeptAir>(back));
  EXPECT_EQ(std::get<KeptAir>(back), fullAir());

  const std::string edited = std::regex_replace(text, std::regex("\"pty\": 10"), "\"pty\": 11");
  const std::string future =
      std::regex_replace(text, std::regex("\"version\": 1"), "\"version\": 2");
  for (const auto& [bytes, reason] : std::vector<std::pair<std::string, std::string>>{
           {text.substr(0, text.size() / 2), "truncado"},
           {"\x01\xFFlixo", "truncado"},
           {"{\"hello\": 1}", "não é um ficheiro de estado"},
           {future, "versão 2"},
           {edited, "verificação"}}) {
    const auto refused = readKeptAir(bytes);
    ASSERT_TRUE(std::holds_alternative<KeptAirRefusal>(refused)) << reason;
    EXPECT_NE(std::get<KeptAirRefusal>(refused).reason.find(reason), std::string::npos)
        << std::get<KeptAirRefusal>(refused).reason;
  }
}

// An encoder on a state file: its log lines before it listens, and its port.
struct Started {
  std::unique_ptr<EncoderProcess> process;
  std::vector<std::string> early;  // log events before the listening line
  std::uint16_t port = 0;
};

Started start(std::vector<std::string> args, bool signal = false) {
  Started s;
  args.insert(args.begin(), {"--port", "0"});
  s.process = std::make_unique<EncoderProcess>(
      args, signal ? EncoderProcess::Log::OnStandardError : EncoderProcess::Log::OnStandardOutput);
  for (auto line = s.process->nextLine(); line; line = s.process->nextLine()) {
    if (line->starts_with("orvane-encoder: a escutar em ")) {
      s.port = static_cast<std::uint16_t>(std::stoi(line->substr(line->rfind(':') + 1)));
      break;
    }
    s.early.push_back(line->substr(std::string_view("2024-01-01 00:00:00  ").size()));
  }
  return s;
}

bool fileHas(const std::filesystem::path& path, const std::string& needle) {
  const auto deadline = Clock::now() + std::chrono::seconds(3);
  while (Clock::now() < deadline) {
    std::ifstream in(path);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.find(needle) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(StateFile, KillNineThenTheSameCommandLineBringsTheAirBackInTheFirstGroup) {
  TempDir dir;
  const std::vector<std::string> args{
      "--state", dir.file("s.json").string(), "--automation", "0", "--groups", "-"};
  {
    Started first = start(args, true);
    ASSERT_NE(first.port, 0);
    const std::string line = first.process->nextLine().value_or("");
    TestClient playout(static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1))));
    ASSERT_TRUE(playout.send("PTYN=Fado\n"));
    TestClient console(first.port);
    ASSERT_TRUE(console.send(
        "PTY=0A\nPSN=\"ORVANE\"\nTXT0=\"Bom dia\"\nTXT1=\"Segunda\"\nENCODE\nTP=01\nTA=01\n"
        "MS=00\nDI=09\n"));
    ASSERT_TRUE(fileHas(dir.file("s.json"), "\"di\": 9"));
    ASSERT_TRUE(fileHas(dir.file("s.json"), "Fado"));
    kill(first.process->pid(), SIGKILL);
  }
  const auto restarted = Clock::now();
  Started second = start(args, true);
  LineReader signal(second.process->signalFd());
  std::string hex = signal.next().value_or("") + "\n";
  EXPECT_LT(Clock::now() - restarted, std::chrono::seconds(2));
  for (int i = 1; i < 60; ++i) hex += signal.next().value_or("") + "\n";
  const auto groups = groupsFromHex(hex).value_or(std::vector<RdsGroup>{});
  ASSERT_FALSE(groups.empty());
  const Station firstGroup = decodeStation(std::span(groups).first(1));
  EXPECT_EQ(firstGroup.programmeType, 10);
  EXPECT_TRUE(firstGroup.trafficProgramme && firstGroup.trafficAnnouncement);
  EXPECT_FALSE(firstGroup.music);
  const Station heard = decodeStation(groups);
  ASSERT_FALSE(heard.serviceNames.empty() || heard.radiotexts.empty());
  EXPECT_EQ(heard.serviceNames.front(), "ORVANE  ");
  EXPECT_EQ(heard.radiotexts.front(), "Bom dia");
  EXPECT_EQ(heard.programmeTypeName, "Fado    ");
  EXPECT_EQ(heard.decoderIdentification, 9);
  EXPECT_NE(std::ranges::find(second.early, "Restaurado: PS \"ORVANE\""), second.early.end());
}

// Every batch puts the same number in the name and the text; a restart must find them equal.
TEST(StateFile, KilledAtRandomMomentsTheRestartedAirIsAlwaysOneThatWasOnAir) {
  TempDir dir;
  const std::vector<std::string> args{"--state", dir.file("s.json").string()};
  std::mt19937 random(20);
  const std::regex restoredName("Restaurado: PS \"N(\\d+)\"");
  const std::regex restoredText("Restaurado: RTXT1 \"N(\\d+)\"");
  int batch = 0, restoredRounds = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(50);
  for (int round = 0; round < 100 && Clock::now() < deadline; ++round) {
    Started encoder = start(args);
    ASSERT_NE(encoder.port, 0) << "round " << round;
    std::string name, text;
    for (const std::string& line : encoder.early) {
      std::smatch m;
      if (std::regex_match(line, m, restoredName)) name = m[1];
      if (std::regex_match(line, m, restoredText)) text = m[1];
      EXPECT_EQ(line.find("não restaurado"), std::string::npos) << line;
    }
    EXPECT_EQ(name, text) << "round " << round;
    restoredRounds += name.empty() ? 0 : 1;
    TestClient console(encoder.port);
    const auto killAt =
        Clock::now() + std::chrono::milliseconds(std::uniform_int_distribution(0, 600)(random));
    while (Clock::now() < killAt) {
      const std::string n = "N" + std::to_string(++batch);
      if (!console.send("PSN=\"" + n + "\"\nTXT0=\"" + n + "\"\nENCODE\n")) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(encoder.process->pid(), SIGKILL);
  }
  EXPECT_GT(restoredRounds, 80);
}

TEST(StateFile, AFileThatIsNotOneOfOursIsSetAsideAndTheStartGoesOn) {
  for (const char* bytes : {"lixo", "{\"format\": \"orvane-encoder-state\", \"version\": 9}", ""}) {
    TempDir dir;
    dir.write("s.json", bytes);
    Started encoder = start({"--state", dir.file("s.json").string()});
    ASSERT_NE(encoder.port, 0) << bytes;
    ASSERT_FALSE(encoder.early.empty());
    EXPECT_TRUE(encoder.early.front().starts_with("Estado não restaurado de " +
                                                  dir.file("s.json").string() + ": "))
        << encoder.early.front();
    std::size_t aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      aside += entry.path().filename().string().starts_with("s.json.rejeitado-") ? 1 : 0;
    }
    EXPECT_EQ(aside, 1U) << bytes;
  }
}

TEST(StateFile, ASecondEncoderOrAMissingFolderRunsWithoutAndSaysSo) {
  TempDir dir;
  const std::string path = dir.file("s.json").string();
  Started holder = start({"--state", path});
  ASSERT_NE(holder.port, 0);
  Started second = start({"--state", path});
  ASSERT_NE(second.port, 0);
  ASSERT_FALSE(second.early.empty());
  EXPECT_NE(second.early.back().find("outro processo tem " + path + ".lock"), std::string::npos)
      << second.early.back();
  Started lost = start({"--state", dir.file("nada/s.json").string()});
  ASSERT_NE(lost.port, 0);
  ASSERT_FALSE(lost.early.empty());
  EXPECT_TRUE(lost.early.back().starts_with("Estado não guardado")) << lost.early.back();
}

}  // namespace
}  // namespace orvane::test
