#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "EncoderProcess.h"
#include "RdsDecoder.h"
#include "TempDir.h"
#include "UecpElement.h"
#include "UecpFrame.h"

// Each door with a real client of its kind, and what a receiver then shows.
namespace orvane::test {
namespace {

// What `command` printed; the shell's own clients, as playouts and their scripts run them.
std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe)) out += chunk;
    pclose(pipe);
  }
  return out;
}

std::uint16_t announcedPort(EncoderProcess& encoder, std::string_view door) {
  const std::string line = encoder.nextLine().value_or("");
  EXPECT_NE(line.find(door), std::string::npos) << line;
  return static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
}

TEST(AutomationDoors, LinesOverTcpAreAnsweredAndOverUdpGoOnAir) {
  EncoderProcess encoder({"--port", "0", "--automation", "127.0.0.1:0"});
  ASSERT_NE(encoder.port(), 0);
  const std::uint16_t port = announcedPort(encoder, "linhas de automação");
  TestClient playout(port);
  // CR alone, LF and CRLF, as the hardware encoders' playouts and scripts end their lines.
  // PTY in decimal, as a plugin written for a hardware encoder sends Pop Music.
  ASSERT_TRUE(playout.send("TEXT=Olá\rPTY=10\nPTY=zz\r\n?PTY\rAF=87.6\r?PI\r"));
  for (const char* answer :
       {"+", "+", "- PTY=zz: esperado de 0 a 31 em decimal", "PTY=10",
        "! AF: as frequências alternativas fixam-se no arranque (--af)", "PI=8201"}) {
    EXPECT_EQ(playout.readLine(), answer);
  }
  // A kilobyte of CR-ended lines is a hundred lines, not one too long.
  std::string burst;
  for (int i = 0; i < 120; ++i) burst += "PS=ORVANE\r";
  ASSERT_TRUE(playout.send(burst));
  for (int i = 0; i < 120; ++i) ASSERT_EQ(playout.readLine(), "+") << "line " << i;
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Olá\" (linhas 127.0.0.1)"));
  EXPECT_EQ(encoder.nextEvent(), "PTY 0A Música Pop (linhas 127.0.0.1)");

  const int udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{AF_INET, htons(port), {}, {}};
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  const std::string datagram = "TEXT=Pelo UDP\r\nPTYN=Fado\r";
  sendto(udp, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(udp);
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Pelo UDP\" (UDP 127.0.0.1)"));
  EXPECT_EQ(encoder.nextEvent(), "PTYN \"Fado\" (UDP 127.0.0.1)");
}

// As Rivendell's encoder plugins send: a connection a line, closed without reading the answer.
// A title too long for radiotext still goes on air, cut where a word ends, and the log says so.
TEST(AutomationDoors, ALongTitleOnAOneLineConnectionGoesOnAirCut) {
  EncoderProcess encoder({"--port", "0", "--automation", "127.0.0.1:0"});
  ASSERT_NE(encoder.port(), 0);
  const std::uint16_t port = announcedPort(encoder, "linhas de automação");
  const std::string title = "Uma Cancao Com Um Titulo Tao Comprido Que Nao Cabe - Artista Longo";
  for (const std::string& line : {std::string("PS=ORVANE FM\r\n"), "TEXT=" + title + "\r\n"}) {
    EXPECT_TRUE(TestClient(port).send(line));
  }
  EXPECT_TRUE(encoder.skipPast("PS \"ORVANE F\" (linhas 127.0.0.1)"));
  EXPECT_TRUE(encoder.skipPast("Cortado: PS: cortado para caber em 8 caracteres (linhas"));
  EXPECT_TRUE(encoder.skipPast(
      "RTXT1 \"Uma Cancao Com Um Titulo Tao Comprido Que Nao Cabe - Artista\" (linhas 127.0.0.1)"));
  EXPECT_EQ(encoder.nextEvent(),
            "Cortado: TEXT: cortado para caber em 64 caracteres (linhas 127.0.0.1)");
}

// As pira-style clients do: several lines in one datagram, and a client that reads one byte of
// the answer within 5 s and hangs up. The X-Command's artist and title reach the receiver.
TEST(AutomationDoors, PiraClientsAreAnsweredInOneByteAndTagTheirSong) {
  EncoderProcess encoder(
      {"--port", "0", "--automation", "127.0.0.1:0", "--rtplus", "--groups", "-"},
      EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  const std::uint16_t port = announcedPort(encoder, "linhas de automação");
  const int udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{AF_INET, htons(port), {}, {}};
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  const std::string datagram = "DPS1=RADIO ORVANE\rTA=1\r";
  sendto(udp, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(udp);
  EXPECT_TRUE(encoder.skipPast("Linhas (UDP 127.0.0.1): / TA: fora do ar sem TP"));
  const auto firstByte = [port](const std::string& line) {
    TestClient playout(port);
    char answer = 0;
    pollfd ready{playout.fd(), POLLIN, 0};
    if (!playout.send(line) || poll(&ready, 1, 5000) != 1 ||
        recv(playout.fd(), &answer, 1, 0) != 1) {
      return '?';
    }
    return answer;
  };
  EXPECT_EQ(firstByte("RTP=04,00,02,00,00,00\r"), '-') << "no radiotext to mark yet";
  EXPECT_EQ(firstByte("XCMD=<rds><item><dest>3</dest><text>Agora: <title>Budapeste</title> - "
                      "<artist>Mão Morta</artist></text></item></rds>\r"),
            '+');
  EXPECT_EQ(firstByte("XCMD=<rds><item><dest>3</dest></item></rds>\r"), '-');
  EXPECT_EQ(firstByte("NADA=1\r"), '!');
  LineReader signal(encoder.signalFd());
  std::string hex;
  for (int i = 0; i < 90; ++i) hex += signal.next().value_or("") + "\n";
  const Station heard = decodeStation(groupsFromHex(hex).value_or(std::vector<RdsGroup>{}));
  ASSERT_FALSE(heard.radiotexts.empty() || heard.rtPlus.empty());
  EXPECT_EQ(heard.radiotexts.back(), "Agora: Budapeste - Mão Morta");
  EXPECT_EQ(heard.rtPlus.back().items,
            (std::map<int, std::string>{{4, "Mão Morta"}, {1, "Budapeste"}}));
  EXPECT_FALSE(heard.trafficAnnouncement) << "no TA without TP";
}

// Rivendell's pypad_inno713_tcp: a connection a line, DPS= before PS=, and TEXT=%t - %a, which
// --rtplus-format title-artist tags; then a 2wcom-style song a field a line, tagged exactly from
// its fields whatever the format says. What a receiver shows of each.
TEST(AutomationDoors, RivendellsScrollingNameStaysAndSongFieldsGetExactTags) {
  EncoderProcess encoder({"--port", "0", "--automation", "127.0.0.1:0", "--rtplus",
                          "--rtplus-format", "title-artist", "--groups", "-"},
                         EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  const std::uint16_t port = announcedPort(encoder, "linhas de automação");
  for (const char* line : {"DPSS=9\r\n", "DPS=TOCA FADO AGORA\r\n", "PS=ORVANE\r\n",
                           "TEXT=Hey Jude - Remastered - The Beatles\r\n"}) {
    EXPECT_TRUE(TestClient(port).send(line));
  }
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Hey Jude - Remastered - The Beatles\""));
  LineReader signal(encoder.signalFd());
  const auto hear = [&signal](int groups) {
    std::string hex;
    for (int i = 0; i < groups; ++i) hex += signal.next().value_or("") + "\n";
    return decodeStation(groupsFromHex(hex).value_or(std::vector<RdsGroup>{}));
  };
  Station heard = hear(60);
  EXPECT_NE(std::ranges::find(heard.serviceNames, "AGORA   "), heard.serviceNames.end());
  EXPECT_EQ(std::ranges::find(heard.serviceNames, "ORVANE  "), heard.serviceNames.end());
  ASSERT_FALSE(heard.rtPlus.empty());
  EXPECT_EQ(heard.rtPlus.back().items,
            (std::map<int, std::string>{{4, "The Beatles"}, {1, "Hey Jude - Remastered"}}));

  TestClient playout(port);
  ASSERT_TRUE(playout.send("ARTIST=Jean-Michel Jarre\rTITLE=Oxygène - Live\rDPS=\r"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(playout.readLine(), "+");
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Jean-Michel Jarre - Oxygène - Live\""));
  heard = hear(60);
  EXPECT_EQ(heard.serviceNames.back(), "ORVANE  ");
  ASSERT_FALSE(heard.rtPlus.empty());
  EXPECT_EQ(heard.rtPlus.back().items,
            (std::map<int, std::string>{{4, "Jean-Michel Jarre"}, {1, "Oxygène - Live"}}));
}

// The default text is on air from the start; and nothing a playout leaves on air stays for ever:
// a TA switches itself off after its bound, counted from its last renewal (here over UECP), and
// a text not refreshed gives way to the default text.
TEST(AutomationDoors, ATrafficAnnouncementOrATextLeftOnEndsAfterItsBound) {
  using std::chrono::milliseconds;
  EncoderProcess encoder({"--port", "0", "--uecp-listen", "0", "--automation", "127.0.0.1:0",
                          "--ta-timeout", "2", "--now-playing-timeout", "4s", "--default-text",
                          "Radio Orvane"});
  ASSERT_NE(encoder.port(), 0);
  const std::uint16_t uecp = announcedPort(encoder, "UECP");
  TestClient playout(announcedPort(encoder, "linhas de automação"));
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Radio Orvane\" (texto por omissão)");
  ASSERT_TRUE(playout.send("TP=1\nTA=1\nTEXT=Noticia\n"));
  const auto sent = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(milliseconds(1000));
  std::string renewal;
  ASSERT_TRUE(appendUecpFrame(renewal, {{}, 1, uecpTrafficFlags(true, true)}));
  ASSERT_TRUE(TestClient(uecp).send(renewal));
  EXPECT_TRUE(encoder.skipPast("TA desligado: esteve ligado mais de 2 s"));
  EXPECT_GE(std::chrono::steady_clock::now() - sent, milliseconds(2900));
  EXPECT_TRUE(encoder.skipPast("Alarme: um TA ficou ligado"));
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Radio Orvane\" (fim da música)"));
  EXPECT_GE(std::chrono::steady_clock::now() - sent, milliseconds(3900));
  // The alarm outlives a short bound, or a monitor's check a little late would never see it.
  std::this_thread::sleep_for(milliseconds(2000));
  ASSERT_TRUE(playout.send("PTY=1\n"));
  EXPECT_EQ(encoder.nextEvent().value_or("").substr(0, 4), "PTY ");
}

TEST(AutomationDoors, CurlAndAzuraCastReachTheReceiver) {
  EncoderProcess encoder({"--port", "0", "--http", "127.0.0.1:0", "--rtplus", "--groups", "-"},
                         EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(announcedPort(encoder, "HTTP"));
  const std::string curl = "curl -s --max-time 5 ";
  EXPECT_EQ(run(curl + "'" + url + "/nowplaying?artist=Ana%20Moura&title=Desfado'"), "OK\n");
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Ana Moura - Desfado\" (HTTP 127.0.0.1)");
  EXPECT_EQ(
      run(curl + "'" + url + "/nowplaying?artist=Ana%20Moura&title=" + std::string(60, 'x') + "'"),
      "OK: TEXT: cortado para caber em 64 caracteres\n");
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Ana Moura\" (HTTP 127.0.0.1)");
  EXPECT_EQ(encoder.nextEvent(),
            "Cortado: TEXT: cortado para caber em 64 caracteres (HTTP 127.0.0.1)");
  const std::string json = curl + "-H 'Content-Type: application/json' --data ";
  EXPECT_EQ(run(json +
                "'{\"now_playing\":{\"duration\":180.5,\"song\":{\"artist\":null,"
                "\"title\":\"Budapeste\"}}}' " +
                url + "/nowplaying/azuracast"),
            "OK\n");
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Budapeste\" (HTTP 127.0.0.1)");
  EXPECT_EQ(run(json + "'{\"now_playing\":null}' " + url + "/nowplaying/azuracast"), "OK\n");
  // Liquidsoap posts the same song several times a track: one song, one item toggle.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(run(json + "'{\"artist\":\"Mão Morta\",\"title\":\"Budapeste\",\"album\":null}' " +
                  url + "/nowplaying"),
              "OK\n");
  }
  EXPECT_EQ(run(curl + "--data '{\"PTYN\":\"Fado\"}' " + url + "/state"), "OK\n");
  EXPECT_EQ(run(curl + "-o /dev/null -w '%{http_code}' --data '[[[' " + url + "/state"), "400");
  EXPECT_EQ(run(curl + "-o /dev/null -w '%{http_code}' " + url + "/nada"), "404");
  EXPECT_TRUE(encoder.skipPast("HTTP 127.0.0.1: GET /nada recusado, 404"));

  // Eight seconds of signal at the group rate: the radiotext, its tags and the name whole.
  LineReader signal(encoder.signalFd());
  std::string hex;
  for (int i = 0; i < 90; ++i) hex += signal.next().value_or("") + "\n";
  const Station heard = decodeStation(groupsFromHex(hex).value_or(std::vector<RdsGroup>{}));
  ASSERT_FALSE(heard.radiotexts.empty() || heard.rtPlus.empty());
  EXPECT_EQ(heard.radiotexts.back(), "Mão Morta - Budapeste");
  EXPECT_EQ(heard.rtPlus.back().items,
            (std::map<int, std::string>{{4, "Mão Morta"}, {1, "Budapeste"}}));
  for (const RtPlusSeen& seen : heard.rtPlus) {
    EXPECT_TRUE(seen.text != heard.radiotexts.back() ||
                seen.itemToggle == heard.rtPlus.back().itemToggle);
  }
  EXPECT_EQ(heard.programmeTypeName, "Fado    ");
}

// Stands in for an Icecast on 127.0.0.1: answers each request with the next body of its script,
// an empty body being a server that accepts and then never answers.
class StandInIcecast {
 public:
  explicit StandInIcecast(std::vector<std::string> script)
      : listener_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in here{AF_INET, 0, {}, {}};
    inet_pton(AF_INET, "127.0.0.1", &here.sin_addr);
    bind(listener_, reinterpret_cast<sockaddr*>(&here), sizeof here);
    listen(listener_, 4);
    socklen_t size = sizeof here;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&here), &size);
    port_ = ntohs(here.sin_port);
    thread_ = std::thread([this, script = std::move(script)] { serve(script); });
  }
  ~StandInIcecast() {
    thread_.join();
    for (int held : held_) close(held);
    close(listener_);
  }
  [[nodiscard]] std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  void serve(const std::vector<std::string>& script) {
    for (const std::string& body : script) {
      pollfd ready{listener_, POLLIN, 0};
      if (poll(&ready, 1, kPatienceMs) != 1) return;
      const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      char request[2048];
      [[maybe_unused]] const auto got = recv(client, request, sizeof request, 0);
      if (body.empty()) {
        held_.push_back(client);
        continue;
      }
      const std::string answer =
          "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
          "Content-Length: " +
          std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
      [[maybe_unused]] const auto sent = send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
      close(client);
    }
  }

  int listener_;
  std::uint16_t port_ = 0;
  std::vector<int> held_;
  std::thread thread_;
};

TEST(AutomationDoors, IcecastSongGoesOnAirAndAFailingServerIsLoggedOnce) {
  const std::string live =
      R"({"icestats":{"source":[{"listenurl":"http://h/other","title":"No - Way"},)"
      R"({"listenurl":"http://h/live","title":"Mão Morta - Budapeste"}]}})";
  StandInIcecast icecast({live, "", "<html>garbage</html>",
                          R"({"icestats":{"source":{"listenurl":"http://h/live",)"
                          R"("artist":"Xutos","title":"Homem do Leme"}}})"});
  EncoderProcess encoder({"--port", "0", "--icecast", icecast.url(), "--icecast-mount", "/live",
                          "--rtplus", "--groups", "-"},
                         EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  const std::string name = "Icecast " + icecast.url().substr(7);
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Mão Morta - Budapeste\" (" + name + ")");
  LineReader signal(encoder.signalFd());
  std::string hex;
  for (int i = 0; i < 60; ++i) hex += signal.next().value_or("") + "\n";
  const Station heard = decodeStation(groupsFromHex(hex).value_or(std::vector<RdsGroup>{}));
  ASSERT_FALSE(heard.rtPlus.empty());
  EXPECT_EQ(heard.rtPlus.back().items,
            (std::map<int, std::string>{{4, "Mão Morta"}, {1, "Budapeste"}}));
  // Silence past the time-out, then garbage: one line for the whole outage.
  EXPECT_EQ(encoder.nextEvent(), name + ": sem resposta: Timeout was reached; o ar fica como está");
  EXPECT_EQ(encoder.nextEvent(), name + ": responde de novo");
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Xutos - Homem do Leme\" (" + name + ")");
}

TEST(AutomationDoors, FileRenamedOverOrRewrittenInPlaceIsRead) {
  TempDir dir;
  const std::string file = dir.file("now.txt").string();
  EncoderProcess encoder({"--port", "0", "--now-playing", file});
  ASSERT_NE(encoder.port(), 0);
  run("cd " + dir.path().string() +
      " && printf 'Ana Moura - Desfado\\n' > .tmp && mv .tmp now.txt");
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Ana Moura - Desfado\" (ficheiro)");
  run(": > " + file + " && printf 'artist=Xutos\\ntitle=Homem do Leme\\n' >> " + file);
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Xutos - Homem do Leme\" (ficheiro)");
  // A link renamed over the file, and a second name made with ln, as a playout's share could.
  run("cd " + dir.path().string() + " && ln -s /etc/passwd .l && mv .l now.txt");
  EXPECT_EQ(encoder.nextEvent(), "Ficheiro " + file + ": é uma ligação simbólica, recusado");
  run("cd " + dir.path().string() + " && printf 'Segredo - X\\n' > .s && ln -f .s now.txt");
  EXPECT_EQ(encoder.nextEvent(), "Ficheiro " + file + ": tem outro nome noutro sítio, recusado");
  run("rm " + file + " && mkfifo " + file);
  EXPECT_EQ(encoder.nextEvent(), "Ficheiro " + file + ": não é um ficheiro normal, ignorado");
}

TEST(AutomationDoors, NetworkHttpWithoutTokenIsRefusedAtStart) {
  EncoderProcess encoder({"--port", "0", "--http", "0.0.0.0:0"},
                         EncoderProcess::Log::OnStandardError);
  EXPECT_NE(encoder.nextLine().value_or("").find("--http-token"), std::string::npos);
  EXPECT_EQ(encoder.waitForExit(), 2);
}

}  // namespace
}  // namespace orvane::test
