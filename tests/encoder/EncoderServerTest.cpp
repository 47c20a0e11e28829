#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>

#include "EncoderProcess.h"
#include "FileDescriptor.h"
#include "TempDir.h"

// The whole program that takes the commands, started as a child process and spoken to over
// loopback.
namespace orvane::test {
namespace {

// Valid commands are answered with silence, so a deliberate mistake sent after them shows
// whether anything else was said first.
constexpr std::string_view kProbe = "PROBE\n";
constexpr std::string_view kProbeReply = "ERRO: comando desconhecido \"PROBE\"";

class EncoderServer : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(server.port(), 0); }

  // Connects and waits until the server has taken this client as its one client.
  std::unique_ptr<TestClient> connect(int receiveBuffer = 0) {
    auto client = std::make_unique<TestClient>(server.port(), receiveBuffer);
    EXPECT_TRUE(server.skipPast("Cliente ligado"));
    return client;
  }

  EncoderProcess server;
};

// Every command the console sends is taken in silence. The switches go on air at once; the rest
// waits for ENCODE and goes together, the last value of each, so that a receiver never shows a
// new first line beside an old second one.
TEST_F(EncoderServer, TakesEveryCommandSilentlyAndHoldsTheProgrammeValuesForEncode) {
  const std::string longName(100, 'P'), longest = "\"sim\" " + std::string(58, 'x');
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> switches = {
      {"GROUP4A=01", "Grupo 4A (relógio) ligado"}, {"MS=00", "MS fala"},
      {"GROUP1A=01", "Grupo 1A (início do programa) ligado"}, {"TIMEINPSN=01", "Hora no PS sim"},
      {"DI=0F", "DI 0F Emissão Estereo Expandido. PTY dinâmico."},
      {"DI= 3", "DI 03 Emissão Estereo Simulado."},  // from the settings file, blank and all
      {"TA=01", "TA sim (fora do ar sem TP)"}, {"TP=01", "TP sim (anúncio de trânsito no ar)"}};
  const std::vector<std::pair<std::string, std::string>> held = {
      {"PTY=1f", "PTY 1F Alarme !!!"}, {"PSN=\"" + longName + "\"", "PS \"" + longName + "\""},
      {"TXT0=\"M\xFAsica \x80\"", "RTXT1 \"Música €\""},
      {"TXT1=\"" + longest + "\"", "RTXT2 \"" + longest + "\""},
      {"DEF1ATIME=1F+173B", "Início do programa dia 31, 23:59"}};
  // clang-format on
  std::string batch = "PTY=0A\r\nTXT0=\"velho\"\nTA=02\n\n";
  for (const auto& [line, event] : held) batch += line + "\n";
  for (const auto& [line, event] : switches) batch += line + "\n";
  auto client = connect();
  ASSERT_TRUE(client->send(batch + std::string(kProbe)));
  EXPECT_EQ(client->readLine(), "ERRO: TA=02: deve ser 00 ou 01");
  EXPECT_EQ(client->readLine(), kProbeReply);
  for (const auto& [line, event] : switches) EXPECT_EQ(server.nextEvent(), event);
  ASSERT_TRUE(client->send("ENCODE\nENCODE\nTA=00\n"));
  for (const auto& [line, event] : held) EXPECT_EQ(server.nextEvent(), event);
  EXPECT_EQ(server.nextEvent(), "TA não");
}

// The client that leaves mid-batch also takes its unencoded values with it, so that they cannot
// go on air with the next client's ENCODE; one that never reads its replies is let go before
// they pile up, and the place is free again.
TEST_F(EncoderServer, ServesOneClientAtATimeAndLetsGoOfOneThatLeftHalfDoneOrDoesNotRead) {
  auto first = connect();
  TestClient second(server.port());
  EXPECT_EQ(second.readLine(), "ERRO: servidor ocupado");
  EXPECT_TRUE(second.closedByServer());
  ASSERT_TRUE(server.skipPast("Recusado"));
  ASSERT_TRUE(first->send("TXT0=\"meio lote\"\nPSN=\"RADI"));
  first.reset();
  EXPECT_NE(server.nextEvent().value_or("").find("a meio de uma linha"), std::string::npos);
  EXPECT_EQ(server.nextEvent(), "Descartado o que esperava por ENCODE");

  auto deaf = connect(4096);
  ASSERT_TRUE(deaf->send("ENCODE\nPTY=05\nENCODE\n"));
  EXPECT_EQ(server.nextEvent(), "PTY 05 Educação");
  std::string mistakes;
  for (int i = 0; i < 8192; ++i) mistakes += "X\n";
  bool accepted = true;
  for (int round = 0; round < 4096 && accepted; ++round) accepted = deaf->send(mistakes);
  EXPECT_FALSE(accepted);
  ASSERT_TRUE(server.skipPast("Cliente desligado, não lê as respostas"));
  auto next = connect();
  ASSERT_TRUE(next->send(kProbe));
  EXPECT_EQ(next->readLine(), kProbeReply);
}

// A burst of clients all reconnecting at once: every one that connects is told, within a second,
// that the place is taken; none is left connected to a queue nobody accepts from.
TEST_F(EncoderServer, EveryClientOfABurstGetsItsAnswer) {
  auto first = connect();
  constexpr int kBurst = 200;
  std::vector<FileDescriptor> clients;
  const sockaddr_in where{AF_INET, htons(server.port()), {htonl(INADDR_LOOPBACK)}, {}};
  for (int i = 0; i < kBurst; ++i) {
    FileDescriptor& c = clients.emplace_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    ::connect(c.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where);
  }
  std::vector<std::string> replies(kBurst);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (std::ranges::count(replies, "ERRO: servidor ocupado\n") < kBurst &&
         std::chrono::steady_clock::now() < deadline) {
    for (std::size_t i = 0; i < clients.size(); ++i) {
      char text[64];
      const ssize_t n = recv(clients[i].get(), text, sizeof text, MSG_DONTWAIT);
      if (n > 0) replies[i].append(text, static_cast<std::size_t>(n));
    }
  }
  EXPECT_EQ(std::ranges::count(replies, "ERRO: servidor ocupado\n"), kBurst);
}

// Lines are bounded, so that a client sending without end cannot make the server grow; a line of
// exactly the bound is still a line, with CR LF or without.
TEST_F(EncoderServer, SurvivesBinaryGarbageAndEndlessLines) {
  std::mt19937 random(99);
  std::string garbage(256 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random() % 256);
  auto client = connect();
  ASSERT_TRUE(client->send(garbage + "\n" + std::string(kProbe)));
  std::optional<std::string> reply;
  while ((reply = client->readLine()) && *reply != kProbeReply) {
    ASSERT_TRUE(reply->starts_with("ERRO: ") &&
                std::ranges::none_of(*reply, [](char c) { return c >= 0 && c < 0x20; }))
        << *reply;
  }
  EXPECT_EQ(reply, kProbeReply);

  const std::string atBound = "PSN=\"" + std::string(1018, 'P') + "\"";
  ASSERT_TRUE(client->send(atBound + "\n" + atBound + "\r\n" + atBound + "x\n"));
  EXPECT_EQ(client->readLine(), "ERRO: linha com mais de 1024 bytes, ignorada");
  // Refused as it passes the bound, not at an end that may never come.
  ASSERT_TRUE(client->send(std::string(2048, 'A')));
  EXPECT_EQ(client->readLine(), "ERRO: linha com mais de 1024 bytes, ignorada");
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(client->send(std::string(1 << 16, 'A')));
  ASSERT_TRUE(client->send("\n" + std::string(kProbe)));
  EXPECT_EQ(client->readLine(), kProbeReply);
}

// Nobody reads the log for a while: the server serves on, drops what does not fit and says how
// many lines it lost, and a flood of refused connections logs a bounded number of lines and a
// count of the rest. Every line is accounted for.
TEST_F(EncoderServer, AStalledLogHoldsNothingUpAndEveryLineIsAccountedFor) {
  auto client = connect();
  std::string toggles;
  for (int i = 0; i < 10000; ++i) toggles += "TA=01\nTA=00\n";
  ASSERT_TRUE(client->send(toggles + std::string(kProbe)));
  EXPECT_EQ(client->readLine(), kProbeReply);
  for (int i = 0; i < 30; ++i)
    EXPECT_EQ(TestClient(server.port()).readLine(), "ERRO: servidor ocupado");
  long long accounted = 0, count = 0;  // lines seen, and lines reported lost or left out
  const auto readUntil = [&](std::string_view last) {
    for (auto line = server.nextEvent(); line; line = server.nextEvent()) {
      if (line->starts_with("TA ") || line->starts_with("Recusado")) ++accounted;
      if (std::sscanf(line->c_str(), "Registo: %*s %lld", &count) == 1) accounted += count;
      if (line->starts_with(last)) return;
    }
  };
  readUntil("Registo: perdidas");
  ASSERT_TRUE(client->send("PTY=05\nENCODE\n"));  // a line after the losses, to read up to
  readUntil("PTY 05");
  kill(server.pid(), SIGTERM);
  readUntil("Servidor terminado");
  EXPECT_EQ(accounted, 20000 + 30);
}

// What a child may spend on start-up, a short idle and exit; the sanitizers' own start-up and
// checks cost about as much again as the program.
#ifdef __SANITIZE_ADDRESS__
constexpr double kStartIdleExitCpuSeconds = 0.4;
#else
constexpr double kStartIdleExitCpuSeconds = 0.2;
#endif

double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A running child's processor time so far, user and system, from /proc/PID/stat.
double cpuSecondsOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The fields after the name, which is in parentheses and may hold spaces: state is the 3rd,
  // utime the 14th and stime the 15th.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int n = 3; n <= 15 && fields >> field; ++n) {
    if (n >= 14) ticks += std::stol(field);
  }
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Half a second idle: a loop that spins instead of waiting burns most of it even on a loaded
// machine, while a waiting one spends a few milliseconds on its timers.
constexpr useconds_t kIdleMicros = 500'000;
constexpr double kIdleCpuSeconds = 0.1;

// Its standard input hung up, as at the end of a finished pipeline, the server still sleeps until
// a client or a signal comes; a signal stops it cleanly, a client's half line and all.
TEST(EncoderCommandLine, IdlesQuietlyEchoesWhenAskedAndStopsCleanlyOnSignals) {
  for (int signal : {SIGINT, SIGTERM}) {
    EncoderProcess running({"--port", "0", "--echo"});
    TestClient client(running.port());
    ASSERT_TRUE(client.send("TXT0=\"ol\xE1\"\nPTY=99\nTXT0=\"a meio"));
    EXPECT_EQ(client.readLine(), "OK: TXT0=\"ol\xE1\"");
    EXPECT_EQ(client.readLine(), "ERRO: PTY=99: fora do intervalo 00 a 1F");
    // The idle alone is timed: start-up varies with the build and with what else the machine runs.
    const double idleStart = cpuSecondsOf(running.pid());
    usleep(kIdleMicros);
    EXPECT_LT(cpuSecondsOf(running.pid()) - idleStart, kIdleCpuSeconds);
    EXPECT_EQ(running.waitForExit(signal), 0);
    EXPECT_TRUE(client.closedByServer());
  }
}

// What the program holds, as the system sees it: its lowest free descriptor; whether it has
// handlers for the stop signals yet, waiting a while for them.
int lowestFreeDescriptor(pid_t pid) {
  int fd = 0;
  while (std::filesystem::is_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd)))
    ++fd;
  return fd;
}

bool catchesStopSignals(pid_t pid) {
  for (int waitedMs = 0; waitedMs < kPatienceMs; ++waitedMs, usleep(1000)) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string field, caught;
    while (status >> field && field != "SigCgt:") {
    }
    const auto mask = status >> caught ? std::stoull(caught, nullptr, 16) : 0;
    if ((mask >> (SIGINT - 1) & 1) && (mask >> (SIGTERM - 1) & 1)) return true;
  }
  return false;
}

// At the descriptor limit accept() fails while the connection waits: the server pauses instead
// of spinning, says so once, and takes the connection when descriptors are free again.
TEST(EncoderCommandLine, BacksOffWhenItCannotAcceptAndSaysSoOnce) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "at the descriptor limit the sanitizers' own checks fail for want of one";
#endif
  const double cpuBefore = childCpuSeconds();
  EncoderProcess server({"--port", "0"}, EncoderProcess::Log::OnStandardOutput, [] {
    for (int fd = 3; fd < 24; ++fd) dup2(STDIN_FILENO, fd);  // most descriptors in use
  });
  const std::uint16_t port = server.port();
  rlimit normal{};
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_NOFILE, nullptr, &normal), 0);
  const rlimit full{static_cast<rlim_t>(lowestFreeDescriptor(server.pid())), normal.rlim_max};
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_NOFILE, &full, nullptr), 0);
  TestClient client(port);  // waits in the listening queue
  EXPECT_TRUE(server.nextEvent().value_or("").starts_with("Não foi possível aceitar ligações"));
  usleep(500'000);  // long enough that a busy loop would burn far more than the limit
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_NOFILE, &normal, nullptr), 0);
  EXPECT_TRUE(server.nextEvent().value_or("").starts_with("Cliente ligado"));
  EXPECT_EQ(server.waitForExit(SIGTERM), 0);
  EXPECT_LT(childCpuSeconds() - cpuBefore, kStartIdleExitCpuSeconds);  // start-up and exit included
}

// A loop that can no longer wait (poll refuses more descriptors than the limit) is a failed run:
// it says why and ends with 1, never as a server that simply stopped.
TEST(EncoderCommandLine, ALoopThatCannotWaitEndsAsAFailure) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "at the descriptor limit the sanitizers' own checks fail for want of one";
#endif
  EncoderProcess server({"--port", "0"}, EncoderProcess::Log::OnStandardOutput);
  const std::uint16_t port = server.port();
  rlimit normal{};
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_NOFILE, nullptr, &normal), 0);
  const rlimit tooFew{1, normal.rlim_max};
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_NOFILE, &tooFew, nullptr), 0);
  TestClient client(port);  // wakes the loop
  std::string line;
  while (!line.starts_with("Servidor interrompido")) {
    const auto next = server.nextEvent();
    ASSERT_TRUE(next) << "the loop never said why it ended";
    line = *next;
  }
  EXPECT_EQ(server.waitForExit(), 1);
}

// Waiting for command lines that do not come, or for a named pipe's reader, ends at once on a
// signal, as the rest of the program does.
TEST(EncoderCommandLine, EveryWaitEndsOnASignal) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("in").c_str(), 0600) | mkfifo(dir.file("out").c_str(), 0600), 0);
  const std::vector<std::string> waits[] = {{"--commands", dir.file("in"), "--groups", "-"},
                                            {"--port", "0", "--mpx", dir.file("out")}};
  for (const auto& args : waits) {
    EncoderProcess waiting(args, EncoderProcess::Log::OnStandardError);
    ASSERT_TRUE(catchesStopSignals(waiting.pid()));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waiting.waitForExit(SIGINT), 0) << args[0];
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << args[0];
  }
}

// Two network namespaces joined by a virtual cable, the server's end 10.201.0.1 in one and the
// client's 10.201.0.2 in the other; gone with the object.
struct Cable {
  const std::string server = "orvane-s" + std::to_string(getpid()),
                    client = "orvane-c" + std::to_string(getpid());
  const bool laid = shell(
      "ip netns add $S && ip netns add $C && ip link add v netns $S type veth peer name v netns $C"
      " && ip -n $S addr add 10.201.0.1/24 dev v && ip -n $C addr add 10.201.0.2/24 dev v"
      " && ip -n $S link set v up && ip -n $C link set v up");

  ~Cable() { shell("ip netns del $S; ip netns del $C"); }
  bool shell(const std::string& script) const {
    const std::string names = "S=" + server + " C=" + client + "; ";
    return std::system(("{ " + names + script + "; } >/dev/null 2>&1").c_str()) == 0;
  }
  static void enter(const std::string& name) {
    const FileDescriptor ns(open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC));
    setns(ns.get(), CLONE_NEWNET);
  }
  std::unique_ptr<TestClient> connect(std::uint16_t port) const {
    std::unique_ptr<TestClient> connected;
    std::thread([&] {  // only this thread moves into the client's namespace
      enter(client);
      connected = std::make_unique<TestClient>(port, 0, "10.201.0.1");
    })
        .join();
    return connected;
  }
};

// The console's host loses power or its network: no goodbye ever comes, yet within about half a
// minute the server lets it go and says why, and the console that comes back finds its place.
TEST(EncoderCommandLine, APeerThatVanishesLosesItsPlaceWithinHalfAMinute) {
  const Cable cable;
  if (!cable.laid) GTEST_SKIP() << "pulling a cable needs root and ip netns";
  EncoderProcess server({"--listen", "10.201.0.1", "--port", "0"},
                        EncoderProcess::Log::OnStandardOutput, [&] { Cable::enter(cable.server); });
  const std::uint16_t port = server.port();
  auto vanishing = cable.connect(port);
  ASSERT_TRUE(server.skipPast("Cliente ligado") && cable.shell("ip -n $C link set v down"));
  const auto pulled = std::chrono::steady_clock::now();
  std::optional<std::string> event;
  while (!event && std::chrono::steady_clock::now() - pulled < std::chrono::seconds(60)) {
    event = server.nextEvent();  // each wait is only ten seconds long
  }
  const auto after = std::chrono::steady_clock::now() - pulled;
  EXPECT_TRUE(event.value_or("").starts_with("Cliente desligado, não responde há 25 s"));
  EXPECT_TRUE(after > std::chrono::seconds(20) && after < std::chrono::seconds(35));
  ASSERT_TRUE(cable.shell("ip -n $C link set v up"));
  auto back = cable.connect(port);
  ASSERT_TRUE(back->send(kProbe));
  EXPECT_EQ(back->readLine(), kProbeReply);
}

// 2 for what was asked wrongly, options that would lose or mix output included; 1 for what failed.
TEST(EncoderCommandLine, ExitCodes) {
  TempDir dir;
  dir.write("ok.txt", "PTY=01\n");
  dir.write("bad.txt", "PTY=01\nPTY=20\n");
  EncoderProcess running;
  const std::string d = " " + dir.path().string() + "/", busy = std::to_string(running.port());
  std::string af26 = "87.6,100";  // one frequency more than the count code can say
  const std::string brief = " --commands" + d + "ok.txt --groups - --seconds 0.1";
  for (int f = 88; f < 100; ++f) af26 += ',' + std::to_string(f) + ',' + std::to_string(f) + ".5";
  // clang-format off
  const std::string rows[] = {  // the exit code, then the arguments
      "0 --help", "2 --port=1", "2 --listen 1.2.3", "2 --port", "2 --seconds 5",
      "2 --pi 0 --groups -", "2 --groups - --seconds 0", "2 --groups - --seconds nan",
      "2 --pi 12345 --groups -", "2 --groups - --mpx -", "2 --groups x --mpx x",
      "2 --commands" + d + "ok.txt --port 7000 --groups -", "1 --port " + busy,
      "2 --commands" + d + "bad.txt --groups -", "2 --mpx" + d + "x.wav --seconds 10000",
      "2 --commands" + d + "ok.txt --groups" + d + "g.txt", "1 --commands" + d + "no --groups -",
      "1 --commands" + d + "ok.txt --mpx /nonexistent/x.wav --seconds 1", "2 --af 87.5",
      "2 --af 108.0", "2 --af 101.25", "2 --af 99.9,99.90", "2 --af 99.9,",
      "2 --af " + af26, "0 --af " + af26.substr(5) + " --help", "2 --af-b 89.3",
      "2 --af-b 89.3:89.3", "2 --af-b 89.3:", "2 --af-b 89.3:87.6 --af 99.9",
      "2 --af 99.9 --af-b 89.3:87.6", "2 --af-b 89.3:87.6 --af-b 89.3:90.0",
      "2 --af-b 89.3:" + af26.substr(0, 51),  // 13 frequencies, one more than 25 codes hold
      "0 --af-b 89.3:" + af26.substr(0, 48) + " --af-b 87.6:89.3 --help",
      "2 --rtplus-format title-artist", "2 --rtplus --rtplus-format artist",
      "2 --uecp udp:10.0.0.5", "2 --uecp-listen udp:1.2.3:5000",
      "2 --uecp tcp:10.0.0.5:0", "2 --uecp serial:/dev/ttyS0:1234", "2 --uecp-listen 1.2.3:5000",
      "2 --uecp tcp:10.0.0.5:5000,site=1024", "1 --uecp-listen " + busy,
      "2 --commands" + d + "ok.txt --groups" + d + "x.txt --mpx" + d + "./x.txt --seconds 1",
      "2 --commands" + d + "ok.txt --groups" + d + "link --mpx" + d + "y.wav --seconds 1",
      "2 --ecc FF" + brief, "2 --ecc e4 --ecc E0" + brief,
      "0 --ecc a6 --uecp tcp:127.0.0.1:9 --uecp tcp:127.0.0.2:9 --help"};
  std::filesystem::create_symlink(dir.file("y.wav"), dir.file("link"));
  // clang-format on
  for (const std::string& row : rows) {
    std::istringstream words(row.substr(2));
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    EXPECT_EQ(EncoderProcess(args, EncoderProcess::Log::OnStandardError).waitForExit(),
              row[0] - '0')
        << row;
  }
  // Announced only once everything is open, and standard output on a file fills no disk either.
  EncoderProcess unopened({"--port", "0", "--mpx", "/nonexistent/x.wav"});
  EXPECT_EQ(std::tuple(unopened.port(), unopened.waitForExit()), std::tuple(0, 1));
  const auto toFile = [&] { dup2(open(dir.file("raw").c_str(), O_WRONLY | O_CREAT, 0600), 1); };
  const std::vector<std::string> unbounded{"--commands", dir.file("ok.txt"), "--groups", "-"};
  EXPECT_EQ(EncoderProcess(unbounded, EncoderProcess::Log::OnStandardError, toFile).waitForExit(),
            2);
}

// A refused run leaves every file as it was, and says nothing about the air: neither a recording
// named twice (by another name, a hard link, or the log appended onto it) nor one a bad command
// file was to go to is emptied, and a file it would have created is not left behind.
TEST(EncoderCommandLine, ARefusedRunLeavesEveryFileAsItWas) {
  TempDir dir;
  dir.write("ok.txt", "PTY=01\n");
  dir.write("bad.txt", "PTY=01\nPTY=20\n");
  dir.write("o.wav", "a recording");
  std::filesystem::create_hard_link(dir.file("o.wav"), dir.file("hard.wav"));
  const auto run = [&](const std::string& commands, const std::string& other,
                       const std::function<void()>& inChild = {}) {
    EncoderProcess refused({"--commands", dir.file(commands), "--mpx", dir.file("o.wav"),
                            "--groups", other, "--seconds", "1"},
                           EncoderProcess::Log::OnStandardOutput, inChild);
    const bool airSaid = refused.skipPast("PTY");
    return std::tuple(refused.waitForExit(), airSaid);
  };
  EXPECT_EQ(run("ok.txt", dir.path().string() + "/./o.wav"), std::tuple(2, false));
  EXPECT_EQ(run("ok.txt", dir.file("hard.wav")), std::tuple(2, false));
  EXPECT_EQ(run("ok.txt", dir.file("g.txt"),
                [&] { dup2(open(dir.file("o.wav").c_str(), O_WRONLY | O_APPEND), 1); }),
            std::tuple(2, false));
  EXPECT_EQ(std::get<0>(run("bad.txt", dir.file("g.txt"))), 2);
  EXPECT_EQ(dir.read("o.wav"), "a recording");
  EXPECT_FALSE(std::filesystem::exists(dir.file("g.txt")));
}

// A pair of ECC and PI that names no country goes on air, since a code may be given out later,
// but the operator is told at the start.
TEST(EncoderCommandLine, WarnsWhenTheCountryCodesNameNoCountry) {
  TempDir dir;
  dir.write("ok.txt", "PTY=01\n");
  for (const auto& [pi, ecc, warned] : {std::tuple("8201", "E4", false), {"4201", "E4", true}}) {
    EncoderProcess encoder({"--commands", dir.file("ok.txt"), "--pi", pi, "--ecc", ecc, "--groups",
                            "-", "--seconds", "0.1"},
                           EncoderProcess::Log::OnStandardError);
    EXPECT_EQ(encoder.nextEvent().value_or("").starts_with("Aviso: o ECC E4 e o PI 4201"), warned);
    EXPECT_EQ(encoder.waitForExit(), 0);
  }
  // A served run says it first where it listens, for the scripts that read that line.
  EncoderProcess served({"--port", "0", "--pi", "4201", "--ecc", "E4"});
  EXPECT_TRUE(served.nextLine().value_or("").starts_with("orvane-encoder: a escutar em "));
  EXPECT_TRUE(served.nextEvent().value_or("").starts_with("Aviso: o ECC E4 e o PI 4201"));
}

}  // namespace
}  // namespace orvane::test
