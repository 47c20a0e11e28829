#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "EncoderProcess.h"
#include "HttpClient.h"
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
  kept.continuity = {RadiotextCycle::Rotation{1, true}, RadiotextPlus::Item{true, "4:1:A1:1:B"}};
  kept.agenda = {{"from", 420}};
  return kept;
}

TEST(KeptAir, EveryValueAndByteComesBackAndNothingElseIsTaken) {
  const std::string text = keptAirText(fullAir());
  const auto back = readKeptAir(text);
  ASSERT_TRUE(std::holds_alternative<KeptAir>(back));
  EXPECT_EQ(std::get<KeptAir>(back), fullAir());
  const auto older =
      readKeptAir(std::regex_replace(text, std::regex("\"version\": 2"), "\"version\": 1"));
  EXPECT_TRUE(std::holds_alternative<KeptAir>(older)) << "a file of the version before reads";

  const std::string edited = std::regex_replace(text, std::regex("\"pty\": 10"), "\"pty\": 11");
  const std::string future =
      std::regex_replace(text, std::regex("\"version\": 2"), "\"version\": 3");
  for (const auto& [bytes, reason] : std::vector<std::pair<std::string, std::string>>{
           {text.substr(0, text.size() / 2), "truncado"},
           {"\x01\xFFlixo", "truncado"},
           {"{\"hello\": 1}", "não é um ficheiro de estado"},
           {future, "versão 3"},
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
  std::vector<std::string> early;  // the doors' addresses and the start-up's report
  std::uint16_t port = 0;
};

// The listening line comes first and the start-up's report after it; a console that comes and
// goes marks where the report ends.
Started start(std::vector<std::string> args, bool signal = false) {
  Started s;
  args.insert(args.begin(), {"--port", "0"});
  s.process = std::make_unique<EncoderProcess>(
      args, signal ? EncoderProcess::Log::OnStandardError : EncoderProcess::Log::OnStandardOutput);
  const std::string first = s.process->nextLine().value_or("");
  if (!first.starts_with("orvane-encoder: a escutar em ")) {
    ADD_FAILURE() << "first line: " << first;
    return s;
  }
  s.port = static_cast<std::uint16_t>(std::stoi(first.substr(first.rfind(':') + 1)));
  {
    TestClient marker(s.port);
    // The doors' addresses, unstamped, and the stamped report, without its stamps.
    for (auto line = s.process->nextLine(); line && line->find("Cliente ligado") == line->npos;
         line = s.process->nextLine()) {
      const bool stamped = !line->starts_with("orvane-encoder: ");
      s.early.push_back(stamped ? line->substr(std::string_view("2024-01-01 00:00:00  ").size())
                                : *line);
    }
  }
  s.process->skipPast("Cliente saiu");
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

// What a receiver holds of a run's radiotext: each message's A/B flag, and the song's item toggle.
struct Heard {
  std::string hex;
  Station station;
  std::map<std::string, bool> flags;
  std::optional<RtPlusSeen> song;
};

// Reads the signal on until `enough` of it was heard, for at most kMaxGroups groups (18 s).
void listen(LineReader& signal, Heard& heard, const std::function<bool(const Heard&)>& enough) {
  constexpr int kMaxGroups = 200;
  for (int i = 0; i < kMaxGroups && !enough(heard); ++i) {
    heard.hex += signal.next().value_or("") + "\n";
    heard.station = decodeStation(groupsFromHex(heard.hex).value_or(std::vector<RdsGroup>{}));
    const Station& s = heard.station;
    for (std::size_t m = 0; m < s.radiotexts.size(); ++m) {
      heard.flags[s.radiotexts[m]] = s.radiotextFlags[m];
    }
    for (const RtPlusSeen& seen : s.rtPlus) {
      if (!seen.items.empty()) heard.song = seen;
    }
  }
}

// Every item of the air, set through the console, the line door and the HTTP door: after kill -9
// the same command line brings it back before any client speaks, the first groups already
// carrying the flags, each message its A/B flag and the song its item toggle, so that receivers
// clear nothing. A song whose end came while the encoder was down is not brought back.
TEST(StateFile, KillNineThenTheSameCommandLineBringsTheAirBackInTheFirstGroup) {
  constexpr auto kSongTimeout = std::chrono::seconds(12);
  TempDir dir;
  const std::string song = "Ana Moura - Desfado";
  const std::vector<std::string> args{"--state",
                                      dir.file("s.json").string(),
                                      "--automation",
                                      "127.0.0.1:0",
                                      "--http",
                                      "127.0.0.1:0",
                                      "--rtplus",
                                      "--now-playing-timeout",
                                      "12s",
                                      "--default-text",
                                      "Radio Orvane",
                                      "--groups",
                                      "-"};
  const auto bothAndTheSong = [&song](const Heard& h) {
    return h.flags.contains(song) && h.flags.contains("Segunda") && h.song;
  };
  Heard before;
  Clock::time_point songSent;
  {
    Started first = start(args, true);
    ASSERT_NE(first.port, 0);
    const auto door = [&first](std::string_view name) -> std::uint16_t {
      const auto line = std::ranges::find_if(first.early, [name](const std::string& l) {
        return l.starts_with("orvane-encoder: ") && l.find(name) != std::string::npos;
      });
      return line == first.early.end() ? 0 : std::stoi(line->substr(line->rfind(':') + 1));
    };
    TestClient playout(door("linhas"));
    const std::uint16_t http = door("HTTP");
    TestClient console(first.port);
    ASSERT_TRUE(console.send(
        "PTY=0A\nGROUP4A=01\nGROUP1A=01\nTIMEINPSN=01\nDEF1ATIME=05+0A1E\nENCODE\nTP=01\nTA=01\n"
        "MS=00\nDI=09\n"));
    ASSERT_TRUE(playout.send("PTYN=Fado\nDPS=RADIO ORVANE FM LISBOA\n"));
    LineReader signal(first.process->signalFd());
    // Two songs, so that the item toggle has flipped once.
    for (const auto& [query, playing] : {std::pair{"Mariza&title=Gente", "Mariza - Gente"},
                                         std::pair{"Ana%20Moura&title=Desfado", song.c_str()}}) {
      songSent = Clock::now();
      const std::string get = std::string("GET /nowplaying?artist=") + query + " HTTP/1.1\r\n";
      ASSERT_EQ(exchangeHttp(http, get + "Host: x\r\nConnection: close\r\n\r\n").status, 200);
      listen(signal, before, [&](const Heard& h) { return h.song && h.song->text == playing; });
    }
    // The other line takes over at once, so that both are heard within seconds.
    ASSERT_TRUE(console.send("TXT1=\"Segunda\"\nENCODE\n"));
    listen(signal, before, bothAndTheSong);
    ASSERT_TRUE(bothAndTheSong(before));
    ASSERT_TRUE(fileHas(dir.file("s.json"), "Segunda"));
    kill(first.process->pid(), SIGKILL);
  }
  const auto restarted = Clock::now();
  Started second = start(args, true);
  LineReader signal(second.process->signalFd());
  Heard after;
  listen(signal, after, [](const Heard& h) { return !h.hex.empty(); });
  EXPECT_LT(Clock::now() - restarted, std::chrono::seconds(2));
  listen(signal, after, [](const Heard& h) { return h.station.serviceNames.size() > 0; });
  const Station atOnce = after.station;  // the groups up to the first name
  listen(signal, after, bothAndTheSong);
  ASSERT_TRUE(bothAndTheSong(after));
  const auto restored = [&second](const std::string& line) {
    return std::ranges::find(second.early, "Restaurado: " + line) != second.early.end();
  };
  const Station& heard = after.station;
  const std::pair<const char*, bool> items[] = {
      {"PTY in the first groups", atOnce.programmeType == 10},
      {"TP and TA in the first groups", atOnce.trafficProgramme && atOnce.trafficAnnouncement},
      {"speech in the first groups", !atOnce.music},
      {"DPS", restored("DPS \"RADIO ORVANE FM LISBOA\"")},
      {"PTYN", heard.programmeTypeName == "Fado    "},
      {"DI", heard.decoderIdentification == 9},
      {"1A and the programme item", heard.programmeItem == ((5 << 11) | (10 << 6) | 30)},
      {"4A", restored("Grupo 4A (relógio) ligado")},
      {"time in PS", restored("Hora no PS sim")},
      {"the song's line and its A/B flag", after.flags.at(song) == before.flags.at(song)},
      {"line 2 and its A/B flag", after.flags.at("Segunda") == before.flags.at("Segunda")},
      {"the song's item toggle", after.song->itemToggle == before.song->itemToggle},
      {"the song's tags", after.song->text == song && after.song->items == before.song->items},
  };
  for (const auto& [item, ok] : items) EXPECT_TRUE(ok) << item;

  kill(second.process->pid(), SIGKILL);
  std::this_thread::sleep_until(songSent + kSongTimeout + std::chrono::milliseconds(500));
  Started third = start(args, true);
  EXPECT_NE(std::ranges::find(third.early, "Restaurado: RTXT1 \"Radio Orvane\""),
            third.early.end());
}

// Every batch puts the same number in the name and the text; a restart must find them equal.
// The first round waits for a batch on disk, so that every later one has air to bring back.
TEST(StateFile, KilledAtRandomMomentsTheRestartedAirIsAlwaysOneThatWasOnAir) {
  constexpr int kRounds = 101;
  TempDir dir;
  const std::vector<std::string> args{"--state", dir.file("s.json").string()};
  std::mt19937 random(20);
  const std::regex restoredName("Restaurado: PS \"N(\\d+)\"");
  const std::regex restoredText("Restaurado: RTXT1 \"N(\\d+)\"");
  int batch = 0, restoredRounds = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  for (int round = 0; round < kRounds && Clock::now() < deadline; ++round) {
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
        Clock::now() + std::chrono::milliseconds(std::uniform_int_distribution(0, 150)(random));
    do {
      const std::string n = "N" + std::to_string(++batch);
      if (!console.send("PSN=\"" + n + "\"\nTXT0=\"" + n + "\"\nENCODE\n")) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (Clock::now() < killAt);
    if (round == 0) {
      ASSERT_TRUE(fileHas(dir.file("s.json"), "\"N"));
    }
    kill(encoder.process->pid(), SIGKILL);
  }
  EXPECT_GE(restoredRounds, kRounds - 1);
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
