#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "EncoderProcess.h"
#include "FileDescriptor.h"
#include "RdsDecoder.h"
#include "TempDir.h"
#include "UecpFrame.h"
#include "UecpPeer.h"
#include "Windows1252.h"

// The whole program speaking UECP, as child processes on loopback: one encoder driving another,
// a peer that never reads, and a command file pushed to peers.
namespace orvane::test {
namespace {

std::uint16_t portAfterLastColon(const std::string& line) {
  return static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
}

std::string tcp(std::uint16_t port) {
  return "tcp:127.0.0.1:" + std::to_string(port);
}

// Datagrams to 127.0.0.1:`port` that are not one whole frame each: noise, half a frame, two
// frames, a frame and bytes after it. Both frames would rename the station if they were taken.
void sendBrokenDatagrams(std::uint16_t port) {
  std::string frame;
  ASSERT_TRUE(appendUecpFrame(frame, {{}, 0, std::string("\x02\x00\x00NOISE!!!", 11)}));
  const FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (const std::string& datagram :
       {std::string(300, '\x55'), frame.substr(0, 6), frame + frame, frame + "\x01\xFF"}) {
    ASSERT_EQ(sendto(socket.get(), datagram.data(), datagram.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to),
              static_cast<ssize_t>(datagram.size()));
  }
}

// The console's command lines into one encoder, over UECP into a second one, and on air from
// there, by TCP and by UDP: a receiver reading the second encoder's groups finds what the console
// sent. A client that sends the listener noise and half a frame first (over UDP, datagrams that
// are not one whole frame each) changes nothing of that.
TEST(UecpEncoders, ConsoleLinesReachTheReceiversOfAnEncoderDrivenOverUecp) {
  for (const std::string transport : {"tcp", "udp"}) {
    SCOPED_TRACE(transport);
    const bool udp = transport == "udp";
    EncoderProcess listening({"--port", "0", "--uecp-listen", udp ? "udp:0" : "0", "--groups", "-"},
                             EncoderProcess::Log::OnStandardError);
    ASSERT_NE(listening.port(), 0);
    const std::uint16_t uecpPort = portAfterLastColon(listening.nextLine().value_or(":0 (UDP)"));
    if (udp) {
      sendBrokenDatagrams(uecpPort);
      for (int dropped = 0; dropped < 4; ++dropped) {
        ASSERT_TRUE(listening.skipPast("UECP datagrama de 127.0.0.1:"));
      }
    } else {
      TestClient noisy(uecpPort);
      std::string noise(1 << 20, '\0');
      for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 31 % 251);
      ASSERT_TRUE(noisy.send(noise + std::string("\xFE\x00\x00", 3)));
    }
    EncoderProcess bridge({"--port", "0", "--pi", "1234", "--uecp",
                           transport + ":127.0.0.1:" + std::to_string(uecpPort)});
    TestClient console(bridge.port());
    ASSERT_TRUE(console.send(windows1252FromUtf8(
        "PTY=1A\nPSN=\"RÁDIO\"\nTXT0=\"Bom dia, Lisboa!\"\nTXT1=\"Trânsito sem filas\"\n"
        "DEF1ATIME=05+0A1E\nGROUP1A=01\nENCODE\nDI=0B\nTA=01\nTP=01\nMS=00\n")));
    ASSERT_TRUE(listening.skipPast("MS fala"));

    LineReader groups(listening.signalFd());
    std::string text;
    Station station;
    const std::set<std::string> lines{"Bom dia, Lisboa!", "Trânsito sem filas"};
    for (int read = 0; read < 400; ++read) {
      text += groups.next().value_or("") + "\n";
      if (read % 12 != 0) continue;
      const auto decoded = groupsFromHex(text).value_or(std::vector<RdsGroup>{});
      station = decodeStation(decoded);
      if (std::ranges::includes(std::set(station.radiotexts.begin(), station.radiotexts.end()),
                                lines)) {
        break;
      }
    }
    EXPECT_EQ(
        std::tuple(station.pi.value_or(0), station.programmeType, station.trafficAnnouncement,
                   station.trafficProgramme, station.music, station.decoderIdentification,
                   station.programmeItem.value_or(0), station.serviceNames.back()),
        std::tuple(0x1234, 0x1A, true, true, false, 0x0B, (5 << 11) | (10 << 6) | 30, "RÁDIO   "));
  }
}

// A peer that takes the connection and never reads holds nothing back: the console is answered
// at once and the groups keep coming, however much changes.
TEST(UecpEncoders, APeerThatNeverReadsHoldsNothingBack) {
  LoopbackPeer deaf(2048);
  deaf.start();
  EncoderProcess encoder({"--port", "0", "--uecp", tcp(deaf.port), "--groups", "-"},
                         EncoderProcess::Log::OnStandardError);
  TestClient console(encoder.port());
  ASSERT_TRUE(encoder.skipPast("UECP"));
  std::string changes;
  for (int i = 0; i < 20000; ++i) {
    changes += "TXT0=\"" + std::to_string(i) + std::string(56, 'x') + "\"\nENCODE\n";
  }
  ASSERT_TRUE(console.send(changes + "PROBE\n"));
  EXPECT_EQ(console.readLine(), "ERRO: comando desconhecido \"PROBE\"");
  LineReader groups(encoder.signalFd());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(groups.next());
}

// A target whose name cannot be found is a target that is down, not a stopped encoder: the console
// is served, and the log says why the target is down.
TEST(UecpEncoders, ATargetWhoseNameIsNotFoundIsDownAndTheConsoleIsServed) {
  EncoderProcess encoder({"--port", "0", "--uecp", "tcp:nowhere.invalid:5000"});
  ASSERT_NE(encoder.port(), 0);
  EXPECT_TRUE(encoder.skipPast("UECP tcp:nowhere.invalid:5000: em baixo desde"));
  TestClient console(encoder.port());
  ASSERT_TRUE(console.send("PROBE\n"));
  EXPECT_EQ(console.readLine(), "ERRO: comando desconhecido \"PROBE\"");
}

// A station file pushed to two peers, one of which is down: the one that is up gets the file's
// state, and the run gives the other five seconds, says that it did not get it, and fails.
TEST(UecpEncoders, ACommandFileRunWaitsForItsPeersAndNamesThoseThatMissedIt) {
  TempDir dir;
  dir.write("station.txt", windows1252FromUtf8("PSN=\"RÁDIO\"\nTP=01\nTA=01\nPTY=05\n"));
  LoopbackPeer up, down;
  up.start();
  EncoderProcess pushing(
      {"--commands", dir.file("station.txt"), "--uecp", tcp(up.port), "--uecp", tcp(down.port)});
  ASSERT_TRUE(pushing.skipPast("UECP " + tcp(down.port) + ": não recebeu o estado"));
  EXPECT_EQ(pushing.waitForExit(), 1);
  up.serve();
  EXPECT_EQ(std::tuple(up.view.serviceName, up.view.trafficFlags, up.view.pty, up.view.music),
            std::tuple(std::optional<std::string>("RÁDIO   "), std::optional(3), std::optional(5),
                       std::optional<int>()));
}

}  // namespace
}  // namespace orvane::test
