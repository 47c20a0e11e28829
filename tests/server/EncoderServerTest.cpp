#include <gtest/gtest.h>
#include <sys/resource.h>

#include <memory>
#include <random>
#include <sstream>

#include "EncoderProcess.h"
#include "TempDir.h"

// The whole program, started as a child process and spoken to over loopback.
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
  std::unique_ptr<TestClient> connect() {
    auto client = std::make_unique<TestClient>(server.port());
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
      {"GROUP4A=01", "Grupo 4A (relógio) ligado"}, {"TP=00", "TP não"}, {"MS=00", "MS fala"},
      {"GROUP1A=01", "Grupo 1A (início do programa) ligado"}, {"TIMEINPSN=01", "Hora no PS sim"},
      {"DI=0F", "DI 0F Emissão Estereo Expandido. PTY dinâmico."},
      {"DI= 3", "DI 03 Emissão Estereo Simulado."},  // from the settings file, blank and all
      {"TA=01", "TA sim (anúncio de trânsito no ar)"}};
  const std::vector<std::pair<std::string, std::string>> held = {
      {"PTY=1f", "PTY 1F Alarme !!!"}, {"PSN=\"" + longName + "\"", "PS \"" + longName + "\""},
      {"TXT0=\"M\xFAsica \x80\"", "RTXT1 \"Música €\""},
      {"TXT1=\"" + longest + "\"", "RTXT2 \"" + longest + "\""},
      {"DEF1ATIME=1F+173B", "Início do programa dia 31, 23:59"}};
  // clang-format on
  std::string batch = "PTY=0A\r\nTXT0=\"velho\"\nTA=02\nTXT0=\"" + std::string(65, 'x') + "\"\n\n";
  for (const auto& [line, event] : held) batch += line + "\n";
  for (const auto& [line, event] : switches) batch += line + "\n";
  auto client = connect();
  ASSERT_TRUE(client->send(batch + std::string(kProbe)));
  EXPECT_EQ(client->readLine(), "ERRO: TA=02: deve ser 00 ou 01");
  EXPECT_EQ(client->readLine(),
            "ERRO: TXT0=\"" + std::string(23, 'x') + "...: tem 65 caracteres, o m\xE1ximo \xE9 64");
  EXPECT_EQ(client->readLine(), kProbeReply);
  for (const auto& [line, event] : switches) EXPECT_EQ(server.nextEvent(), event);
  ASSERT_TRUE(client->send("ENCODE\nENCODE\nTA=00\n"));
  for (const auto& [line, event] : held) EXPECT_EQ(server.nextEvent(), event);
  EXPECT_EQ(server.nextEvent(), "TA não");
}

// The client that leaves mid-batch also takes its unencoded values with it, so that they cannot
// go on air with the next client's ENCODE.
TEST_F(EncoderServer, ServesOneClientAtATimeAndForgetsWhatTheLastOneLeftHalfDone) {
  auto first = connect();
  TestClient second(server.port());
  EXPECT_EQ(second.readLine(), "ERRO: servidor ocupado");
  EXPECT_TRUE(second.closedByServer());
  ASSERT_TRUE(server.skipPast("Recusado"));

  ASSERT_TRUE(first->send("TXT0=\"meio lote\"\nPSN=\"RADI"));
  first.reset();
  EXPECT_NE(server.nextEvent().value_or("").find("a meio de uma linha"), std::string::npos);
  EXPECT_EQ(server.nextEvent(), "Descartado o que esperava por ENCODE");
  auto third = connect();
  ASSERT_TRUE(third->send("ENCODE\nPTY=05\nENCODE\n"));
  EXPECT_EQ(server.nextEvent(), "PTY 05 Educação");
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
    EXPECT_TRUE(reply->starts_with("ERRO: "));
    for (char c : *reply) ASSERT_FALSE(c >= 0 && c < 0x20) << *reply;
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

TEST_F(EncoderServer, DisconnectsAClientThatNeverReadsItsReplies) {
  TestClient deaf(server.port(), 4096);
  std::string mistakes;
  for (int i = 0; i < 8192; ++i) mistakes += "X\n";
  bool accepted = true;
  for (int round = 0; round < 4096 && accepted; ++round) accepted = deaf.send(mistakes);
  EXPECT_FALSE(accepted);
  ASSERT_TRUE(server.skipPast("Cliente desligado, não lê as respostas"));
  auto next = connect();
  ASSERT_TRUE(next->send(kProbe));
  EXPECT_EQ(next->readLine(), kProbeReply);
}

double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Started at the end of a pipeline whose writer is gone, the server still sleeps until a client
// or a signal comes; a signal stops it cleanly, a client's half line and all.
TEST(EncoderCommandLine, IdlesQuietlyEchoesWhenAskedAndStopsCleanlyOnSignals) {
  for (int signal : {SIGINT, SIGTERM}) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const int input = dup(STDIN_FILENO);
    dup2(ends[0], STDIN_FILENO);
    close(ends[0]);
    close(ends[1]);
    const double cpuBefore = childCpuSeconds();
    EncoderProcess running({"--port", "0", "--echo"});
    dup2(input, STDIN_FILENO);
    close(input);
    TestClient client(running.port());
    ASSERT_TRUE(client.send("TXT0=\"ol\xE1\"\nPTY=99\nTXT0=\"a meio"));
    EXPECT_EQ(client.readLine(), "OK: TXT0=\"ol\xE1\"");
    EXPECT_EQ(client.readLine(), "ERRO: PTY=99: fora do intervalo 00 a 1F");
    usleep(200'000);
    EXPECT_EQ(running.waitForExit(signal), 0);
    EXPECT_TRUE(client.closedByServer());
    EXPECT_LT(childCpuSeconds() - cpuBefore, 0.05);
  }
}

// 2 for what was asked wrongly, options that would lose or mix output included; 1 for what failed.
TEST(EncoderCommandLine, ExitCodes) {
  TempDir dir;
  dir.write("ok.txt", "PTY=01\n");
  dir.write("bad.txt", "PTY=01\nPTY=20\n");
  EncoderProcess running;
  const std::string d = " " + dir.path().string() + "/", busy = std::to_string(running.port());
  // clang-format off
  const std::string rows[] = {  // the exit code, then the arguments
      "0 --help", "2 --port=1", "2 --listen 1.2.3", "2 --port", "2 --seconds 5",
      "2 --groups - --seconds 0", "2 --groups - --seconds nan", "2 --pi 0 --groups -",
      "2 --pi 12345 --groups -", "2 --groups - --mpx -", "2 --groups x --mpx x",
      "2 --commands" + d + "ok.txt --port 7000 --groups -",
      "2 --commands" + d + "ok.txt --groups" + d + "g.txt",
      "2 --mpx" + d + "x.wav --seconds 10000", "2 --commands" + d + "bad.txt --groups -",
      "1 --commands" + d + "none.txt --groups -",
      "1 --commands" + d + "ok.txt --mpx /nonexistent/x.wav --seconds 1", "1 --port " + busy};
  // clang-format on
  for (const std::string& row : rows) {
    std::istringstream words(row);
    int code = -1;
    words >> code;
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    EXPECT_EQ(EncoderProcess(args, EncoderProcess::Log::OnStandardError).waitForExit(), code)
        << row;
  }
}

}  // namespace
}  // namespace orvane::test
