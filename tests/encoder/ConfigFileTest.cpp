#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ConfigFile.h"
#include "EncoderProcess.h"
#include "HttpClient.h"
#include "ServerOptions.h"
#include "TempDir.h"
#include "UecpElement.h"
#include "UecpFrame.h"
#include "UecpPeer.h"

// The configuration file: read and checked whole, merged under the command line, and read again
// by a running encoder on SIGHUP.
namespace orvane::test {
namespace {

std::variant<ConfigFile, std::vector<std::string>> read(std::string_view text) {
  return readConfig(toml::parse(text), "station.toml");
}

TEST(ConfigFile, EveryKeyIsAnOptionAndTheCommandLineWins) {
  const auto file = read(
      "port = 6969\n"
      "echo = true\n"
      "no-state = false\n"
      "uecp = [\"tcp:127.0.0.1:4001\", \"serial:/dev/ttyUSB0:9600\"]\n"
      "now-playing-timeout = \"15m\"\n"
      "rds-level = 3.5\n");
  ASSERT_TRUE(std::holds_alternative<ConfigFile>(file));
  const std::vector<std::string> merged =
      mergedArguments(std::get<ConfigFile>(file), {"--port", "7000", "--default-text", "--port"});
  EXPECT_EQ(merged, (std::vector<std::string>{"--echo", "--now-playing-timeout", "15m",
                                              "--rds-level", "3.5", "--uecp", "tcp:127.0.0.1:4001",
                                              "--uecp", "serial:/dev/ttyUSB0:9600", "--port",
                                              "7000", "--default-text", "--port"}));
}

// Every fault at its line, in the file's order, and none of the file taken.
TEST(ConfigFile, FaultsAreRefusedWithTheirLines) {
  const auto file = read(
      "pi = \"0\"\n"
      "colour = \"red\"\n"
      "echo = 1\n"
      "uecp = [\"tcp:127.0.0.1:4001\", 5]\n"
      "config = \"other.toml\"\n"
      "port = [1, 2]\n"
      "[[schedule]]\n"
      "from = \"07:00\"\n"
      "ps = \"MANHA\"\n");
  ASSERT_TRUE(std::holds_alternative<std::vector<std::string>>(file));
  const auto& errors = std::get<std::vector<std::string>>(file);
  const std::vector<std::string> starts = {"station.toml:1: pi: código PI inválido",
                                           "station.toml:2: colour: chave desconhecida",
                                           "station.toml:3: echo: espera true ou false",
                                           "station.toml:4: uecp: destino UECP inválido",
                                           "station.toml:5: config: só na linha de comandos",
                                           "station.toml:6: port: espera um texto",
                                           "station.toml:7: schedule: falta 'to'"};
  ASSERT_EQ(errors.size(), starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) {
    EXPECT_TRUE(errors[i].starts_with(starts[i])) << errors[i];
  }
}

// Other networks as tables carry what --eon's value does, and each fault is refused at its line.
TEST(ConfigFile, OtherNetworksAreTablesReadAsTheCommandLineReadsThem) {
  const auto good = read(
      "[[eon]]\npi = \"C201\"\nname = \"ORVANE 2\"\naf = \"87.6,101.2\"\npty = 10\ntp = true\n"
      "[[eon]]\npi = \"C202\"\nname = \"ORVANE 3\"\n");
  ASSERT_TRUE(std::holds_alternative<ConfigFile>(good));
  const std::vector<std::string> args = mergedArguments(std::get<ConfigFile>(good), {});
  const auto parsed = parseOptions(std::vector<std::string_view>(args.begin(), args.end()));
  ASSERT_TRUE(std::holds_alternative<ServerOptions>(parsed));
  const auto& networks = std::get<ServerOptions>(parsed).otherNetworks;
  ASSERT_EQ(networks.size(), 2U);
  EXPECT_EQ(networks[0].programmeIdentification, 0xC201);
  EXPECT_EQ(networks[0].serviceName, "ORVANE 2");
  EXPECT_EQ(networks[0].frequencyCount, 2U);
  EXPECT_EQ(networks[0].programmeType, 10);
  EXPECT_TRUE(networks[0].trafficProgramme);
  EXPECT_FALSE(networks[1].trafficProgramme);

  const struct {
    std::string_view text;
    std::string_view error;
  } bad[] = {
      {"[[eon]]\npi = \"C201\"\nname = \"A\"\npty = \"10\"\n",
       "station.toml:4: eon.pty: espera um número"},
      {"[[eon]]\npi = \"C201\"\nname = \"A\"\n[[eon]]\npi = \"C201\"\nname = \"B\"\n",
       "station.toml:4: eon: --eon: a rede C201 já foi dada"},
  };
  for (const auto& [text, error] : bad) {
    const auto file = read(text);
    ASSERT_TRUE(std::holds_alternative<std::vector<std::string>>(file)) << text;
    const auto& errors = std::get<std::vector<std::string>>(file);
    ASSERT_EQ(errors.size(), 1U) << text;
    EXPECT_TRUE(errors[0].starts_with(error)) << errors[0];
  }
}

TEST(ConfigFile, AReloadKnowsWhatChangedAndKeepsWhatItCouldNotApply) {
  const std::vector<std::string> before = {"--pi", "8201", "--uecp", "tcp:a:1", "--echo"};
  const std::vector<std::string> after = {"--uecp", "tcp:a:1", "--uecp", "tcp:b:2",
                                          "--pi",   "8201",    "--port", "7000"};
  EXPECT_EQ(changedKeys(before, after), (std::vector<std::string>{"port", "echo", "uecp"}));
  EXPECT_EQ(changedKeys(before, before), std::vector<std::string>{});
  EXPECT_EQ(keepingKeys(after, before, {"port", "uecp"}),
            (std::vector<std::string>{"--pi", "8201", "--uecp", "tcp:a:1"}));
}

constexpr double kGroupsPerSecond = 1e6 / 87579;  // 104 bits at 1187.5 bit/s
constexpr std::chrono::seconds kWatched(3);
constexpr std::chrono::milliseconds kLook(20);
// Five groups' time: room for a loaded machine, far less than a reload that stops the loop.
constexpr std::chrono::milliseconds kLongestStill(450);

// The groups written so far, and the PI of the last one.
struct Groups {
  std::size_t count = 0;
  std::string lastPi;
};

Groups groupsIn(const TempDir& dir) {
  const std::string text = dir.read("groups.txt");
  Groups groups{static_cast<std::size_t>(std::ranges::count(text, '\n')), ""};
  const std::size_t end = text.rfind('\n');
  if (end != std::string::npos) groups.lastPi = text.substr(text.rfind('\n', end - 1) + 1, 4);
  return groups;
}

// /status once it shows `awaited` (the alarms are looked at once a second), or as it is then.
std::string statusShowing(std::uint16_t http, std::string_view awaited) {
  constexpr int kLookMs = 100;
  std::string body;
  for (int waited = 0; waited < kPatienceMs && body.find(awaited) == std::string::npos;
       waited += kLookMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kLookMs));
    body = exchangeHttp(http, "GET /status HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").body;
  }
  return body;
}

std::uint16_t announced(EncoderProcess& encoder, std::string_view door) {
  for (auto line = encoder.nextLine(); line; line = encoder.nextLine()) {
    if (line->find(door) != std::string::npos) {
      return static_cast<std::uint16_t>(std::stoi(line->substr(line->rfind(':') + 1)));
    }
  }
  return 0;
}

// A port free a moment ago, for a door to move to.
std::uint16_t freePort() {
  const int fd = socketFrom("127.0.0.1");
  sockaddr_in bound{};
  socklen_t size = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &size);
  close(fd);
  return ntohs(bound.sin_port);
}

bool listening(std::uint16_t port) {
  const int fd = socketFrom("127.0.0.1");
  sockaddr_in where{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
  close(fd);
  return connected;
}

std::string stationFile(const TempDir& dir, std::string_view pi) {
  return "pi = \"" + std::string(pi) + "\"\nport = 0\necho = true\nhttp = \"127.0.0.1:0\"\n" +
         "groups = \"" + dir.file("groups.txt").string() + "\"\n";
}

// A reload while a console is connected and the groups go out in real time: no group missing,
// the console answered on the same connection, the new PI on air; then a broken file changes
// nothing and shows on /status.
TEST(ConfigReload, AppliesAGoodFileWithoutAGapAndRefusesABrokenOne) {
  TempDir dir;
  const std::string path = dir.file("station.toml").string();
  dir.write("station.toml", stationFile(dir, "8203"));
  EncoderProcess encoder({"--config", path});
  ASSERT_NE(encoder.port(), 0);
  const std::uint16_t http = announced(encoder, "HTTP em");
  TestClient console(encoder.port());
  ASSERT_TRUE(console.send("TXT0=\"antes\"\n"));
  ASSERT_EQ(console.readLine(), "OK: TXT0=\"antes\"");
  EXPECT_EQ(groupsIn(dir).lastPi, "8203");

  dir.write("station.toml", stationFile(dir, "8204"));
  const auto start = std::chrono::steady_clock::now();
  const std::size_t before = groupsIn(dir).count;
  kill(encoder.pid(), SIGHUP);
  ASSERT_TRUE(encoder.skipPast("Configuração relida"));
  ASSERT_TRUE(console.send("TXT0=\"depois\"\n"));
  EXPECT_EQ(console.readLine(), "OK: TXT0=\"depois\"");
  // A group late is as bad as one lost: the file must grow all along, not catch up afterwards.
  std::chrono::steady_clock::duration longestStill{};
  auto grew = start;
  for (std::size_t seen = before; std::chrono::steady_clock::now() - start < kWatched;) {
    std::this_thread::sleep_for(kLook);
    const auto now = std::chrono::steady_clock::now();
    const std::size_t count = groupsIn(dir).count;
    if (count == seen) continue;
    longestStill = std::max(longestStill, now - grew);
    seen = count;
    grew = now;
  }
  const Groups after = groupsIn(dir);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_NEAR(static_cast<double>(after.count - before), elapsed.count() * kGroupsPerSecond, 2.0);
  EXPECT_LT(longestStill, kLongestStill);
  EXPECT_EQ(after.lastPi, "8204");

  dir.write("station.toml", "pi = [\n");
  kill(encoder.pid(), SIGHUP);
  ASSERT_TRUE(encoder.skipPast("Configuração recusada: " + path + ":1:"));
  const std::string shown = statusShowing(http, "configuracao_recusada");
  EXPECT_NE(shown.find("\"error\":\"" + path + ":1:"), std::string::npos) << shown;
  EXPECT_NE(shown.find("configuracao_recusada"), std::string::npos);
  EXPECT_EQ(groupsIn(dir).lastPi, "8204");
}

std::string tcp(std::uint16_t port) {
  return "tcp:127.0.0.1:" + std::to_string(port);
}

// Where a station's doors are, its UECP targets and its now-playing file.
struct Doors {
  std::uint16_t console = 0, http = 0, lines = 0, uecpListen = 0;
  std::vector<std::uint16_t> uecp;
  std::string nowPlaying;
};

std::string doorsFile(std::string_view pi, const Doors& doors) {
  std::string targets;
  for (const std::uint16_t port : doors.uecp) targets += "\"" + tcp(port) + "\", ";
  return "pi = \"" + std::string(pi) + "\"\necho = true\nport = " + std::to_string(doors.console) +
         "\nhttp = \"127.0.0.1:" + std::to_string(doors.http) +
         "\"\nautomation = \"127.0.0.1:" + std::to_string(doors.lines) + "\"\nuecp = [" + targets +
         "]\nuecp-listen = " + std::to_string(doors.uecpListen) + "\n" +
         (doors.nowPlaying.empty() ? "" : "now-playing = \"" + doors.nowPlaying + "\"\n");
}

// The peer is linked and holds `pi`, on its first link: a peer linked again would hear nothing on
// the one it reads.
bool holds(LoopbackPeer& peer, int pi) {
  for (int waited = 0; waited < kPatienceMs && peer.view.pi != pi; waited += kLook.count()) {
    std::this_thread::sleep_for(kLook);
    peer.serve();
  }
  return peer.view.pi == pi;
}

void expectListening(std::initializer_list<std::uint16_t> open,
                     std::initializer_list<std::uint16_t> closed) {
  for (const std::uint16_t port : open) EXPECT_TRUE(listening(port)) << port;
  for (const std::uint16_t port : closed) EXPECT_FALSE(listening(port)) << port;
}

void expectServed(TestClient& console, const std::string& text) {
  ASSERT_TRUE(console.send("TXT0=\"" + text + "\"\n"));
  EXPECT_EQ(console.readLine(), "OK: TXT0=\"" + text + "\"");
}

// An automation system's UECP link, still taken: its name goes on air.
void expectTaken(TestClient& automation, EncoderProcess& encoder, const std::string& name) {
  std::string frame;
  appendUecpFrame(frame, {{}, 1, uecpServiceName(name)});
  ASSERT_TRUE(automation.send(frame));
  EXPECT_TRUE(encoder.skipPast("PS \"" + name));
}

// Every door moves at once while a console is connected and UECP peers are linked: the console
// stays served, the moved doors answer on their new ports only, the target that stayed keeps its
// link, the removed one is let go and the added one linked, and only the new now-playing file is
// read. Then a console port in use leaves the console where it was, and the rest is applied.
TEST(ConfigReload, MovesWhatChangedKeepsTheConsoleAndTheLinksAndReportsAPortInUse) {
  TempDir dir;
  LoopbackPeer kept, removed, added;
  for (LoopbackPeer* peer : {&kept, &removed, &added}) peer->start();
  const std::string path = dir.file("station.toml").string();
  dir.write(
      "station.toml",
      doorsFile("8203", {0, 0, 0, 0, {kept.port, removed.port}, dir.file("old.txt").string()}));
  EncoderProcess encoder({"--config", path});
  Doors before{encoder.port(), 0, 0, announced(encoder, "UECP a escutar em"), {}, {}};
  before.lines = announced(encoder, "linhas de automação");
  before.http = announced(encoder, "HTTP em");  // announced after the line door
  TestClient console(before.console);
  TestClient automation(before.uecpListen);
  expectServed(console, "antes");
  ASSERT_TRUE(holds(kept, 0x8203) && holds(removed, 0x8203));

  const Doors after{freePort(),
                    freePort(),
                    freePort(),
                    freePort(),
                    {added.port, kept.port},
                    dir.file("new.txt").string()};
  dir.write("station.toml", doorsFile("8204", after));
  kill(encoder.pid(), SIGHUP);
  EXPECT_TRUE(encoder.skipPast("UECP " + tcp(removed.port) + ": retirado"));
  ASSERT_TRUE(encoder.skipPast("Configuração relida"));
  expectServed(console, "depois");
  expectTaken(automation, encoder, "DEPOIS");
  expectListening({after.console, after.http, after.lines, after.uecpListen},
                  {before.console, before.http, before.lines, before.uecpListen});
  EXPECT_TRUE(holds(kept, 0x8204));
  EXPECT_TRUE(holds(added, 0x8204));
  dir.write("old.txt", "Velho - Esquecido\n");
  dir.write("new.txt", "Ana Moura - Desfado\n");
  auto song = encoder.nextEvent();
  while (song && !song->starts_with("RTXT1")) song = encoder.nextEvent();
  EXPECT_EQ(song, "RTXT1 \"Ana Moura - Desfado\" (ficheiro)");

  LoopbackPeer taken;
  taken.start();
  const Doors last{taken.port, freePort(), after.lines, after.uecpListen, {kept.port}, {}};
  dir.write("station.toml", doorsFile("8205", last));
  kill(encoder.pid(), SIGHUP);
  ASSERT_TRUE(encoder.skipPast("Configuração: não aplicado: port ("));
  expectServed(console, "por fim");
  expectListening({after.console, last.http, after.lines}, {after.http});
  EXPECT_TRUE(holds(kept, 0x8205));
}

}  // namespace
}  // namespace orvane::test
