#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <future>
#include <vector>

#include "EncoderProcess.h"
#include "ServiceNotifier.h"
#include "TempDir.h"
#include "UecpPeer.h"

// The whole program watching itself: what it tells systemd, and the alarms in its log, with a
// UECP target that is down and then comes up.
namespace orvane::test {
namespace {

// systemd's end of the notification socket: one datagram per notification.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : socket_(::socket(AF_UNIX, SOCK_DGRAM, 0)) {
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    path.copy(at.sun_path, sizeof at.sun_path - 1);
    bind(socket_.get(), reinterpret_cast<sockaddr*>(&at), sizeof at);
  }

  // Reads notifications until one holds `wanted`; false after kPatienceMs.
  bool awaitHolding(std::string_view wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{socket_.get(), POLLIN, 0};
      char datagram[1024];
      if (poll(&p, 1, 100) != 1) continue;
      const ssize_t got = recv(socket_.get(), datagram, sizeof datagram, 0);
      if (got > 0 && std::string_view(datagram, static_cast<std::size_t>(got)).find(wanted) !=
                         std::string_view::npos) {
        return true;
      }
    }
    return false;
  }

  // What waits in the socket now.
  std::vector<std::string> taken() {
    std::vector<std::string> all;
    char datagram[1024];
    for (ssize_t got; (got = recv(socket_.get(), datagram, sizeof datagram, MSG_DONTWAIT)) > 0;) {
      all.emplace_back(datagram, static_cast<std::size_t>(got));
    }
    return all;
  }

 private:
  FileDescriptor socket_;
};

// systemd's socket holds a few datagrams; a manager slow to read them must not stop the loop,
// and the newest status still reaches it once it reads again.
TEST(EncoderService, ANotificationSocketThatIsNotReadNeverHoldsTheLoop) {
  constexpr int kMoreThanTheSocketHolds = 64;
  TempDir dir;
  const std::string notifyPath = dir.file("notify").string();
  NotifySocket systemd(notifyPath);
  setenv("NOTIFY_SOCKET", notifyPath.c_str(), 1);
  ServiceNotifier notifier;
  unsetenv("NOTIFY_SOCKET");
  auto statuses = std::async(std::launch::async, [&] {
    for (int i = 1; i <= kMoreThanTheSocketHolds; ++i)
      notifier.status("linha " + std::to_string(i));
  });
  const bool returned =
      statuses.wait_for(std::chrono::milliseconds(kPatienceMs)) == std::future_status::ready;
  // Reading frees a notifier that blocked, so that a failure ends.
  for (int i = 0; i < kMoreThanTheSocketHolds &&
                  statuses.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready;
       ++i) {
    systemd.taken();
  }
  statuses.wait();
  EXPECT_TRUE(returned) << "a full socket held the loop";
  EXPECT_TRUE(notifier.owing());
  systemd.taken();  // the manager reads again
  notifier.status("linha " + std::to_string(kMoreThanTheSocketHolds));
  EXPECT_FALSE(notifier.owing());
  const std::vector<std::string> seen = systemd.taken();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "STATUS=linha " + std::to_string(kMoreThanTheSocketHolds));
}

TEST(EncoderService, TellsSystemdItIsReadyAliveAndWhichAlarmsHold) {
  TempDir dir;
  const std::string notifyPath = dir.file("notify").string();
  NotifySocket systemd(notifyPath);
  LoopbackPeer peer;  // refuses until started
  EncoderProcess encoder({"--port", "0", "--uecp", "tcp:127.0.0.1:" + std::to_string(peer.port),
                          "--alarm-target-down", "1"},
                         EncoderProcess::Log::OnStandardOutput, [&] {
                           setenv("NOTIFY_SOCKET", notifyPath.c_str(), 1);
                           setenv("WATCHDOG_USEC", "400000", 1);
                         });
  ASSERT_NE(encoder.port(), 0);
  EXPECT_TRUE(systemd.awaitHolding("READY=1"));
  EXPECT_TRUE(systemd.awaitHolding("WATCHDOG=1"));
  EXPECT_TRUE(systemd.awaitHolding("| alarmes: 1"));
  EXPECT_TRUE(encoder.skipPast("Alarme: destino UECP tcp:127.0.0.1:"));

  peer.start();
  std::optional<std::string> line;
  while ((line = encoder.nextEvent()) && !line->starts_with("Fim de alarme: destino UECP")) {
    peer.serve();
  }
  EXPECT_TRUE(line) << "the alarm never ended";
  EXPECT_TRUE(systemd.awaitHolding("sem alarmes"));
}

}  // namespace
}  // namespace orvane::test
