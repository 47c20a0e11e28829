// The console's connection on a real socket, against a scripted peer on a loopback port.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <filesystem>
#include <thread>

#include "CEncoderSocket.h"
#include "ConsoleCore.h"
#include "ControlId.h"
#include "FakeConsoleWindow.h"
#include "FakeRadiotextSource.h"
#include "MessageStyle.h"

namespace orvane::test {
namespace {

constexpr int kPatienceMs = 5000;

// The far end: listens on a free loopback port and takes one connection at a time.
struct ScriptedPeer {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int connection = -1;
  unsigned port = [this] {
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener, 4);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
  }();

  ~ScriptedPeer() {
    hangUp();
    close(listener);
  }
  bool accept() {
    pollfd waiting{listener, POLLIN, 0};
    return poll(&waiting, 1, kPatienceMs) == 1 &&
           (connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;
  }
  // What has arrived within `ms`, without waiting for more once something came.
  std::string received(int ms = 200) {
    std::string bytes;
    pollfd readable{connection, POLLIN, 0};
    char chunk[4096];
    ssize_t got = 0;
    while (poll(&readable, 1, bytes.empty() ? ms : 20) == 1 &&
           (got = recv(connection, chunk, sizeof chunk, 0)) > 0) {
      bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
  }
  void send(std::string_view bytes) {
    ssize_t sent = 0;
    while (!bytes.empty() &&
           (sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL)) > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
  }
  void hangUp() {
    if (connection >= 0) close(std::exchange(connection, -1));
  }
};

// A window whose reply boxes stay open for a moment in a real nested event loop, so that the
// socket's notifications keep coming while one is open.
class SlowBoxWindow : public FakeConsoleWindow {
 public:
  int depth = 0;
  int deepest = 0;
  int showMessage(const std::string& text, const std::optional<std::string>& title,
                  unsigned style) override {
    deepest = std::max(deepest, ++depth);
    FakeConsoleWindow::showMessage(text, title, style);
    QElapsedTimer open;
    open.start();
    while (open.elapsed() < 2) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    --depth;
    return 1;
  }
};

class EncoderSocketTest : public ::testing::Test {
 protected:
  EncoderSocketTest() {
    socket.setConsole(core.connection());
    window.address = 0x7F000001;
    core.state().serverPort = peer.port;
  }
  bool connect() {
    core.connection().connect();
    return peer.accept() && QTest::qWaitFor([&] { return core.state().connected == 1; });
  }

  ScriptedPeer peer;
  SlowBoxWindow window;
  FakeRadiotextSource list;
  CEncoderSocket socket;
  ConsoleCore core{window, socket, list};
  ConsoleState& state = core.state();
};

TEST_F(EncoderSocketTest, EachTickPutsOneLineOnTheWireAndAPeerCloseDropsTheRest) {
  ASSERT_TRUE(connect());
  state.radioText1 = "Bom dia \xE0s 7";
  core.updates().textUpdate();
  EXPECT_EQ(peer.received(50), "");  // nothing before the first tick
  for (const char* line : {"TXT0=\"Bom dia \xE0s 7\"\n", "TXT1=\"\"\n", "ENCODE\n"}) {
    core.tick().onTick();
    EXPECT_EQ(peer.received(), line);
  }

  core.updates().programmeUpdate();
  state.autoRotate = 1;
  core.tick().onTick();
  EXPECT_EQ(peer.received(), "GROUP4A=00\n");
  peer.hangUp();
  core.tick().onTick();  // sent before the close is noticed, into a reset connection
  core.tick().onTick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return state.connected == 0; }, kPatienceMs));
  EXPECT_EQ(std::to_string(state.busy) + std::to_string(state.autoRotate) + state.sendQueue, "00");
  EXPECT_TRUE(window.messages.empty());  // the peer's close is not an error
}

TEST_F(EncoderSocketTest, AReplyFloodIsShownWholeInOrderWithoutNestingBoxes) {
  ASSERT_TRUE(connect());
  peer.send(std::string(kReceiveChunk, 'x'));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.messages.empty(); }, kPatienceMs));
  EXPECT_EQ(window.messages[0].text.size(), kReceiveChunk);

  std::string flood;
  for (int line = 0; flood.size() < 10'000'000; ++line) flood += std::to_string(line) + "\n";
  std::thread talker([&] { peer.send(flood); });
  std::string all;
  std::size_t seen = 1;
  const bool allShown = QTest::qWaitFor(
      [&] {
        for (; seen < window.messages.size(); ++seen) {
          EXPECT_LE(window.messages[seen].text.size(),
                    EncoderConnection::kPendingReplyLimit + kReceiveChunk);
          all += window.messages[seen].text;
        }
        return all.size() >= flood.size();
      },
      60000);
  talker.join();
  ASSERT_TRUE(allShown);
  EXPECT_TRUE(all == flood) << "shown " << all.size() << " of " << flood.size() << " bytes";
  EXPECT_LE(window.deepest, 1);
}

TEST_F(EncoderSocketTest, AHundredConnectionsAndARefusedOneLeakNoDescriptor) {
  const auto descriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const auto before = descriptors();
  for (int cycle = 0; cycle < 100; ++cycle) {
    ASSERT_TRUE(connect()) << cycle;
    core.connection().closeProcedure();
    peer.hangUp();
  }
  state.serverPort = 1;
  core.connection().connect();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.messages.empty(); }, kPatienceMs));
  EXPECT_EQ(window.messages[0].style, message::kOkStop);  // reported, and ready to try again
  EXPECT_TRUE(window.isEnabled(control::kConnect));
  EXPECT_EQ(descriptors(), before);
}

}  // namespace
}  // namespace orvane::test
