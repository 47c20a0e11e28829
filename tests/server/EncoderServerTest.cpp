#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

// The whole program, started as a child process and spoken to over loopback.
namespace orvane::test {
namespace {

constexpr int kPatienceMs = 10000;  // any single wait longer than this is a failure

// Lines from a pipe or a socket, waiting with poll and a timeout rather than hanging.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}

  // The next line without its line feed; nothing on timeout or at the end.
  std::optional<std::string> next() {
    std::size_t end;
    while ((end = buffered_.find('\n')) == std::string::npos) {
      if (readMore() <= 0) return std::nullopt;
    }
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
  }

  // Reads on to the end, a reset connection included; false on timeout.
  bool toEnd() {
    for (long got = 1; got != 0;) {
      if ((got = readMore()) < 0) return false;
    }
    return true;
  }

 private:
  long readMore() {
    pollfd p{fd_, POLLIN, 0};
    char chunk[4096];
    const ssize_t got = poll(&p, 1, kPatienceMs) == 1 ? read(fd_, chunk, sizeof chunk) : -1;
    if (got > 0) buffered_.append(chunk, static_cast<std::size_t>(got));
    return got < 0 && errno == ECONNRESET ? 0 : got;
  }

  int fd_;
  std::string buffered_;
};

// The real orvane-encoder as a child process, its standard output on a pipe.
class EncoderProcess {
 public:
  explicit EncoderProcess(const std::vector<std::string>& args = {"--port", "0"}) {
    std::vector<char*> argv{const_cast<char*>(ORVANE_ENCODER_PATH)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(ends[1], STDOUT_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(ends[1]);
    pipe_ = ends[0];
    output = LineReader(pipe_);
  }

  ~EncoderProcess() {
    if (pid_ > 0) kill(pid_, SIGKILL);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    if (pipe_ >= 0) close(pipe_);
  }

  // The port announced on the first line; 0 when none was.
  std::uint16_t port() {
    constexpr std::string_view kAnnouncement = "orvane-encoder: a escutar em 127.0.0.1:";
    if (port_ == 0) {
      const std::string first = output.next().value_or("");
      if (first.starts_with(kAnnouncement)) port_ = std::stoi(first.substr(kAnnouncement.size()));
    }
    return static_cast<std::uint16_t>(port_);
  }

  // The next log line, its time stamp cut off.
  std::optional<std::string> nextEvent() {
    auto line = output.next();
    if (line) line->erase(0, std::string_view("2024-01-01 00:00:00  ").size());
    return line;
  }

  bool skipPast(std::string_view prefix) {
    while (auto event = nextEvent()) {
      if (event->starts_with(prefix)) return true;
    }
    return false;
  }

  // The child lets go of the pipe only by exiting, so the end of its output is the wait.
  int waitForExit(int signal = 0) {
    if (signal != 0) kill(pid_, signal);
    int status = 0;
    if (pid_ <= 0 || !output.toEnd() || waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  LineReader output{-1};

 private:
  pid_t pid_ = -1;
  int pipe_ = -1;
  int port_ = 0;
};

// A blocking loopback client.
class TestClient {
 public:
  explicit TestClient(std::uint16_t port, int receiveBuffer = 0)
      : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), replies_(socket_) {
    if (receiveBuffer > 0) {
      setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const timeval patience{kPatienceMs / 1000, 0};
    setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(socket_, reinterpret_cast<sockaddr*>(&server), sizeof server);
  }
  ~TestClient() { close(socket_); }

  bool send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }
  std::optional<std::string> readLine() { return replies_.next(); }
  bool closedByServer() { return replies_.toEnd(); }

 private:
  int socket_;
  LineReader replies_;
};

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
