#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "EncoderProcess.h"

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

TEST_F(EncoderServer, TakesEveryCommandSilentlyAndHoldsTheProgrammeValuesForEncode) {
  auto client = connect();
  ASSERT_TRUE(client->send(
      "PTY=0A\r\nGROUP4A=01\nGROUP1A=01\nDEF1ATIME=05+0A1E\nTXT0=\"M\xFAsica\"\nTXT1=\"\"\n"
      "PSN=\"RADIO\"\nDI= 3\nTIMEINPSN=01\nTA=01\nTP=01\nMS=00\n\n"));
  ASSERT_TRUE(client->send(kProbe));
  EXPECT_EQ(client->readLine(), kProbeReply);
  for (std::string_view expected :
       {"Grupo 4A", "Grupo 1A", "DI 03", "Hora no PS sim", "TA sim", "MS fala"}) {
    EXPECT_EQ(server.nextEvent().value_or("").rfind(expected, 0), 0u) << expected;
  }
  ASSERT_TRUE(client->send("ENCODE\n"));
  for (std::string_view expected : {"PTY 0A Música Pop", "PS \"RADIO\"", "RTXT1 \"Música\"",
                                    "Início do programa dia 5, 10:30"}) {
    EXPECT_EQ(server.nextEvent(), expected);
  }
}

TEST_F(EncoderServer, AnswersEachBadLineWithOneErrorInTheConsolesCodePage) {
  auto client = connect();
  ASSERT_TRUE(client->send("TA=02\nTXT0=\"" + std::string(65, 'x') + "\"\nMS=00\n"));
  ASSERT_TRUE(client->send(kProbe));
  EXPECT_EQ(client->readLine(), "ERRO: TA=02: deve ser 00 ou 01");
  EXPECT_EQ(client->readLine(),
            "ERRO: TXT0=\"" + std::string(23, 'x') + "...: tem 65 caracteres, o m\xE1ximo \xE9 64");
  EXPECT_EQ(client->readLine(), kProbeReply);
  EXPECT_EQ(server.nextEvent(), "MS fala");
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

TEST_F(EncoderServer, SurvivesBinaryGarbageAndEndlessLines) {
  std::mt19937 random(99);
  std::string garbage(256 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random() % 256);
  auto client = connect();
  ASSERT_TRUE(client->send(garbage + "\n" + std::string(kProbe)));
  std::optional<std::string> reply;
  while ((reply = client->readLine()) && *reply != kProbeReply) {
    EXPECT_EQ(reply->rfind("ERRO: ", 0), 0u);
  }
  EXPECT_EQ(reply, kProbeReply);

  for (int i = 0; i < 64; ++i) ASSERT_TRUE(client->send(std::string(1 << 16, 'A')));
  ASSERT_TRUE(client->send("\n" + std::string(kProbe)));
  EXPECT_EQ(client->readLine(), "ERRO: linha com mais de 1024 bytes, ignorada");
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

TEST(EncoderServerSignals, StopCleanlyWithAClientMidLine) {
  for (int signal : {SIGINT, SIGTERM}) {
    EncoderProcess running;
    TestClient client(running.port());
    ASSERT_TRUE(running.skipPast("Cliente ligado"));
    ASSERT_TRUE(client.send("TXT0=\"a meio"));
    EXPECT_EQ(running.waitForExit(signal), 0);
    EXPECT_TRUE(client.closedByServer());
  }
}

TEST(EncoderServerCommandLine, EchoHelpAndRefusals) {
  EncoderProcess echo({"--port", "0", "--echo"});
  TestClient client(echo.port());
  ASSERT_TRUE(client.send("TXT0=\"ol\xE1\"\nPTY=99\n"));
  EXPECT_EQ(client.readLine(), "OK: TXT0=\"ol\xE1\"");
  EXPECT_EQ(client.readLine(), "ERRO: PTY=99: fora do intervalo 00 a 1F");

  EncoderProcess help({"--help"});
  EXPECT_EQ(help.output.next().value_or("").rfind("Uso: orvane-encoder", 0), 0u);
  EXPECT_EQ(help.waitForExit(), 0);
  for (std::string bad : {"--port=1", "--verbose", "--listen"}) {
    EXPECT_EQ(EncoderProcess({bad, "1.2.3"}).waitForExit(), 2) << bad;
  }
  EXPECT_EQ(EncoderProcess({"--port", std::to_string(echo.port())}).waitForExit(), 1);
}

}  // namespace
}  // namespace orvane::test
