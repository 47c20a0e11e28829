#include <fcntl.h>
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "CAsyncSocket.h"
#include "LoopbackPeer.h"

namespace orvane::test {
namespace {

// Records every notification as "kind error"; `react` runs inside each one.
class RecordingSocket : public CAsyncSocket {
 public:
  std::multiset<std::string> events;
  std::function<void(const std::string&)> react;

  bool waitFor(const std::string& event, std::size_t times = 1) {
    return QTest::qWaitFor([&] { return events.count(event) >= times; });
  }
  std::string receiveAll() {
    char buffer[2048];
    const long n = receive(buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string{};
  }
  // Connects to `listener` (the system completes it before anyone accepts); true once
  // sending can start.
  bool connectTo(const LoopbackPeer& listener) {
    if (!create()) return false;
    const bool atOnce = connect("127.0.0.1", listener.port);
    return (atOnce || lastError() == EINPROGRESS) && connectPending() && waitFor("send 0") &&
           !connectPending();
  }

 protected:
  void onReceive(int error) override { note("receive", error); }
  void onSend(int error) override { note("send", error); }
  void onConnect(int error) override { note("connect", error); }
  void onClose(int error) override { note("close", error); }

 private:
  void note(const std::string& kind, int error) {
    const std::string event = kind + " " + std::to_string(error);
    events.insert(event);
    if (react) react(event);
  }
};

// Two connections, so that a handler can take the other's bytes before their read event comes.
TEST(AsyncSocket, CarriesBytesBothWaysAndReportsOnlyBytesStillWaiting) {
  LoopbackPeer peer;
  RecordingSocket first;
  RecordingSocket second;
  ASSERT_TRUE(first.connectTo(peer) && second.connectTo(peer));
  std::string taken;
  // Whichever hears of its bytes first takes the other's too.
  first.react = [&](const std::string&) { taken += first.receiveAll() + second.receiveAll(); };
  second.react = [&](const std::string&) { taken += second.receiveAll() + first.receiveAll(); };
  ASSERT_TRUE(peer.accept());
  peer.send("a");
  ASSERT_TRUE(peer.accept());
  peer.send("b");
  ASSERT_TRUE(waitReadable(first.handle()) && waitReadable(second.handle()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return taken.size() == 2; }));
  QCoreApplication::processEvents();
  std::ranges::sort(taken);
  EXPECT_EQ(taken, "ab");
  EXPECT_EQ(first.events.count("connect 0"), 1u) << "one notification per connect attempt";
  EXPECT_EQ(first.events.count("receive 0") + second.events.count("receive 0"), 1u);
  EXPECT_EQ(second.send("ENCODE\n", 7), 7);
  EXPECT_EQ(peer.received(kPatienceMs), "ENCODE\n");
}

TEST(AsyncSocket, AConnectNobodyAnswersOrToANameNobodyKnowsFails) {
  LoopbackPeer closed(false);
  int fd = -1;
  {
    RecordingSocket socket;
    ASSERT_TRUE(socket.create());
    fd = socket.handle();
    EXPECT_FALSE(socket.connect("no..such..host", 6969));
    EXPECT_EQ(std::pair(socket.lastError(), socket.connectPending()), std::pair(EINVAL, false));
    const bool atOnce = !socket.connect("127.0.0.1", closed.port) && !socket.connectPending();
    const std::string refused = "connect " + std::to_string(ECONNREFUSED);
    EXPECT_TRUE(atOnce ? socket.lastError() == ECONNREFUSED : socket.waitFor(refused))
        << socket.lastError();
    QTest::qWait(20);
    // Neither the failed look-up nor a refusal reported at once has anything to follow.
    EXPECT_EQ(socket.events, atOnce ? std::multiset<std::string>{} : std::multiset{refused});
  }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the destructor closes";
}

// The new socket gets the closed one's descriptor back at once; what was queued for the old
// one must not reach it.
TEST(AsyncSocket, ClosingInsideItsConnectNotificationDropsWhatWasQueuedAndCanCreateAgain) {
  LoopbackPeer peer;
  RecordingSocket socket;
  std::vector<std::string> seen;
  socket.react = [&](const std::string& event) {
    seen.push_back(event);
    if (seen.size() > 1) return;
    socket.close();  // the send-ready notification queued behind this one must not come
    ASSERT_TRUE(socket.create());
    socket.connect("127.0.0.1", peer.port);
  };
  ASSERT_TRUE(socket.create());
  socket.connect("127.0.0.1", peer.port);
  ASSERT_TRUE(socket.waitFor("send 0"));
  EXPECT_EQ(seen, (std::vector<std::string>{"connect 0", "connect 0", "send 0"}));
}

// Both what a program does when the encoder goes: sending (which must never raise the signal
// that would end the program) and starting again from inside the notification.
TEST(AsyncSocket, APeerThatIsGoneFailsSendsAndTheSocketCanStartAgainFromItsNotification) {
  LoopbackPeer peer;
  RecordingSocket socket;
  ASSERT_TRUE(socket.connectTo(peer) && peer.accept());
  const std::string reset = "close " + std::to_string(ECONNRESET);
  socket.react = [&](const std::string& event) {
    if (event != reset) return;
    EXPECT_EQ(socket.send("x\n", 2), -1);
    EXPECT_EQ(socket.send("x\n", 2), -1);  // the one that would raise SIGPIPE
    EXPECT_EQ(socket.lastError(), EPIPE);
    socket.close();
    EXPECT_TRUE(socket.create());
    socket.connect("127.0.0.1", peer.port);
  };
  peer.hangUp(true);
  EXPECT_TRUE(socket.waitFor("connect 0", 2));
  EXPECT_EQ(socket.events.count(reset), 1u);
}

}  // namespace
}  // namespace orvane::test
