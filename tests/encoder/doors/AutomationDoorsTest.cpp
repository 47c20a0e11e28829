#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdio>
#include <string>

#include "EncoderProcess.h"
#include "RdsDecoder.h"
#include "TempDir.h"

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
  ASSERT_TRUE(playout.send("TEXT=Olá\r\nPTY=0A\nPTY=zz\n?PTY\nAF=87.6\n"));
  for (const char* answer : {"+", "+", "! PTY=zz: não é hexadecimal", "PTY=0A",
                             "! AF: as frequências alternativas fixam-se no arranque (--af)"}) {
    EXPECT_EQ(playout.readLine(), answer);
  }
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Olá\" (linhas 127.0.0.1)"));
  EXPECT_EQ(encoder.nextEvent(), "PTY 0A Música Pop (linhas 127.0.0.1)");

  const int udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{AF_INET, htons(port), {}, {}};
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  const std::string datagram = "TEXT=Pelo UDP\nPTYN=Fado";
  sendto(udp, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(udp);
  EXPECT_TRUE(encoder.skipPast("RTXT1 \"Pelo UDP\" (UDP 127.0.0.1)"));
  EXPECT_EQ(encoder.nextEvent(), "PTYN \"Fado\" (UDP 127.0.0.1)");
}

TEST(AutomationDoors, CurlAndAzuraCastReachTheReceiver) {
  EncoderProcess encoder({"--port", "0", "--http", "127.0.0.1:0", "--rtplus", "--groups", "-"},
                         EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(announcedPort(encoder, "HTTP"));
  const std::string curl = "curl -s --max-time 5 ";
  EXPECT_EQ(run(curl + "'" + url + "/nowplaying?artist=Ana%20Moura&title=Desfado'"), "OK\n");
  EXPECT_EQ(encoder.nextEvent(), "RTXT1 \"Ana Moura - Desfado\" (HTTP 127.0.0.1)");
  EXPECT_EQ(run(curl +
                "-X POST -H 'Content-Type: application/json' --data "
                "'{\"now_playing\":{\"duration\":180,\"song\":{\"artist\":\"Mão Morta\","
                "\"title\":\"Budapeste\"}}}' " +
                url + "/nowplaying/azuracast"),
            "OK\n");
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
  EXPECT_EQ(heard.programmeTypeName, "Fado    ");
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
