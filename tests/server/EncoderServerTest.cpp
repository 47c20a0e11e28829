#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>

#include "CommandParser.h"
#include "EncoderProcess.h"
#include "TempDir.h"

// The commands, and the whole program that takes them, started as a child process and spoken to
// over loopback.
namespace orvane::test {
namespace {

bool hasControlByte(std::string_view text) {
  return std::ranges::any_of(text, [](char c) { return c >= 0 && c < 0x20; });
}

// What every command takes is in the server tests below, which send them all; here is what each
// refuses. The answer is one "ERRO:" line saying why, with nothing in it that could drive the
// console's or the operator's display, and a value too large for a byte never wraps into range.
TEST(CommandParser, RefusesWithOneCleanErrorLine) {
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {  // the line, and the reason given
      {"PING", "desconhecido \"PING\""}, {"ENCODE=1", "não leva valor"}, {"PTY", "falta o valor"},
      {"\x01\x1B[BAD\xFF=1", "\"??[BAD?\""}, {"PTY=1G", "não é hexadecimal"},
      {std::string(300, 'K'), std::string(24, 'K') + "...\""}, {"MS=2", "deve ser 00 ou 01"},
      {"PTY=20", "fora do intervalo 00 a 1F"}, {"PTY=10000000A", "fora do intervalo"},
      {"GROUP4A=02", "deve ser 00 ou 01"}, {"TP=FF", "00 ou 01"}, {"TA=101", "00 ou 01"},
      {"GROUP1A=-1", "não é hexadecimal"}, {"TIMEINPSN=", "não é hexadecimal"},
      {"DI=10", "00 a 0F"}, {"DI=  ", "00 a 0F"}, {"DEF1ATIME=FFFFFFFF+0A1E", "dia fora"},
      {"DEF1ATIME=00+0A1E", "dia fora do intervalo 1 a 31"}, {"DEF1ATIME=05-0A1E0", "DD+HHMM"},
      {"DEF1ATIME=05+180A", "hora fora do intervalo 0 a 23"}, {"TXT1=\"", "entre aspas"},
      {"DEF1ATIME=05+0A3C", "minuto fora do intervalo 0 a 59"}, {"PSN= \"x\"", "entre aspas"},
      {"TXT1=\"" + std::string(65, 'x') + "\"", "tem 65 caracteres, o máximo é 64"},
      {"TXT0=\"a\tb\"", "=\"a?b\": byte de controlo 0x09 na posição 2"},
      {std::string("PSN=\"a\0b\"", 9), "controlo 0x00"}, {"TXT0=\"x\x7F\"", "controlo 0x7F"}};
  // clang-format on
  for (const auto& [line, why] : rows) {
    const ParseResult result = parseCommand(line);
    const auto* error = std::get_if<ParseError>(&result);
    const std::string message = error ? error->message : "(accepted)";
    EXPECT_TRUE(message.starts_with("ERRO: ") && message.find(why) != std::string::npos &&
                !hasControlByte(message))
        << message;
  }
}

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
    ASSERT_TRUE(reply->starts_with("ERRO: ") && !hasControlByte(*reply)) << *reply;
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

double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Its standard input hung up, as at the end of a finished pipeline, the server still sleeps until
// a client or a signal comes; a signal stops it cleanly, a client's half line and all.
TEST(EncoderCommandLine, IdlesQuietlyEchoesWhenAskedAndStopsCleanlyOnSignals) {
  for (int signal : {SIGINT, SIGTERM}) {
    const double cpuBefore = childCpuSeconds();
    EncoderProcess running({"--port", "0", "--echo"});
    TestClient client(running.port());
    ASSERT_TRUE(client.send("TXT0=\"ol\xE1\"\nPTY=99\nTXT0=\"a meio"));
    EXPECT_EQ(client.readLine(), "OK: TXT0=\"ol\xE1\"");
    EXPECT_EQ(client.readLine(), "ERRO: PTY=99: fora do intervalo 00 a 1F");
    usleep(500'000);  // long enough that a busy loop would burn far more than the limit
    EXPECT_EQ(running.waitForExit(signal), 0);
    EXPECT_TRUE(client.closedByServer());
    EXPECT_LT(childCpuSeconds() - cpuBefore, 0.2);  // start-up and exit included
  }
}

// 2 for what was asked wrongly, options that would lose or mix output included; 1 for what failed.
TEST(EncoderCommandLine, ExitCodes) {
  TempDir dir;
  dir.write("ok.txt", "PTY=01\n");
  dir.write("bad.txt", "PTY=01\nPTY=20\n");
  EncoderProcess running;
  const std::string d = " " + dir.path().string() + "/", busy = std::to_string(running.port());
  std::string af26 = "87.6,100";  // one frequency more than the count code can say
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
      "2 --af " + af26, "0 --af " + af26.substr(5) + " --help", "2 --rtplus-format title-artist",
      "2 --rtplus --rtplus-format artist"};
  // clang-format on
  for (const std::string& row : rows) {
    std::istringstream words(row.substr(2));
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    EXPECT_EQ(EncoderProcess(args, EncoderProcess::Log::OnStandardError).waitForExit(),
              row[0] - '0')
        << row;
  }
}

}  // namespace
}  // namespace orvane::test
