#include <fcntl.h>
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "CAsyncSocket.h"
#include "LoopbackPeer.h"

namespace orvane::test {
namespace {

// Records every notification as "kind error"; `react` runs inside each one.
class RecordingSocket : public CAsyncSocket {
 public:
  std::vector<std::string> events;
  std::function<void(const std::string&)> react;

  int count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
  }
  bool waitFor(const std::string& event, int times = 1) {
    return QTest::qWaitFor([&] { return count(event) >= times; });
  }
  std::string receiveAll() {
    char buffer[2048];
    const long n = receive(buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string{};
  }

 protected:
  void onReceive(int error) override { note("receive", error); }
  void onSend(int error) override { note("send", error); }
  void onConnect(int error) override { note("connect", error); }
  void onClose(int error) override { note("close", error); }

 private:
  void note(const std::string& kind, int error) {
    const std::string event = kind + " " + std::to_string(error);
    events.push_back(event);
    if (react) react(event);
  }
};

// Connects `socket` to `listener` and returns the far end once the socket heard of it.
PeerConnection connectTo(RecordingSocket& socket, LoopbackListener& listener) {
  EXPECT_TRUE(socket.create());
  const bool atOnce = socket.connect("127.0.0.1", listener.port);
  EXPECT_TRUE(atOnce || socket.lastError() == EINPROGRESS) << socket.lastError();
  EXPECT_TRUE(socket.connectPending());
  PeerConnection peer = listener.accept();
  EXPECT_TRUE(socket.waitFor("connect 0"));
  EXPECT_TRUE(socket.waitFor("send 0"));
  EXPECT_FALSE(socket.connectPending());
  return peer;
}

TEST(AsyncSocket, ConnectsToALoopbackListenerAndCarriesBytesBothWays) {
  LoopbackListener listener;
  RecordingSocket socket;
  std::string received;
  socket.react = [&](const std::string& event) {
    if (event == "receive 0") received += socket.receiveAll();
  };
  PeerConnection peer = connectTo(socket, listener);
  peer.send("OK\n");
  ASSERT_TRUE(socket.waitFor("receive 0"));
  EXPECT_EQ(received, "OK\n");
  EXPECT_EQ(socket.send("ENCODE\n", 7), 7);
  EXPECT_EQ(peer.receive(7), "ENCODE\n");
  EXPECT_EQ(socket.count("connect 0"), 1) << "one notification per connect attempt";
}

TEST(AsyncSocket, AConnectNobodyAnswersOrToANameNobodyKnowsFails) {
  RecordingSocket socket;
  ASSERT_TRUE(socket.create());
  EXPECT_FALSE(socket.connect("no..such..host", 6969));
  EXPECT_EQ(socket.lastError(), EINVAL);
  EXPECT_FALSE(socket.connectPending()) << "a failed look-up has nothing to follow";

  if (!socket.connect("127.0.0.1", closedLoopbackPort()) && !socket.connectPending()) {
    EXPECT_EQ(socket.lastError(), ECONNREFUSED);  // refused at once: nothing follows either
  } else {
    EXPECT_TRUE(socket.waitFor("connect " + std::to_string(ECONNREFUSED)));
  }
  EXPECT_EQ(socket.count("send 0") + socket.count("connect 0"), 0);
}

TEST(AsyncSocket, ClosingInsideItsConnectNotificationDropsWhatWasQueuedAndCanCreateAgain) {
  LoopbackListener listener;
  RecordingSocket socket;
  int generation = 1;
  std::vector<std::string> seen;
  socket.react = [&](const std::string& event) {
    seen.push_back(std::to_string(generation) + " " + event);
    if (generation == 1) {
      socket.close();  // the send-ready notification queued behind this one must not come
      generation = 2;
      ASSERT_TRUE(socket.create());
      socket.connect("127.0.0.1", listener.port);
    }
  };
  ASSERT_TRUE(socket.create());
  socket.connect("127.0.0.1", listener.port);
  ASSERT_TRUE(socket.waitFor("send 0"));
  EXPECT_EQ(seen, (std::vector<std::string>{"1 connect 0", "2 connect 0", "2 send 0"}));
}

TEST(AsyncSocket, ClosingInsideItsClosedNotificationLeavesItReadyToCreateAgain) {
  LoopbackListener listener;
  RecordingSocket socket;
  PeerConnection peer = connectTo(socket, listener);
  socket.react = [&](const std::string& event) {
    if (event != "close 0") return;
    socket.close();
    EXPECT_TRUE(socket.create());
    socket.connect("127.0.0.1", listener.port);
  };
  peer.close();
  ASSERT_TRUE(socket.waitFor("close 0"));
  PeerConnection second = listener.accept();
  EXPECT_TRUE(socket.waitFor("connect 0", 2));
  EXPECT_EQ(socket.count("close 0"), 1);
}

TEST(AsyncSocket, AReadEventWhoseBytesAnEarlierReceiveTookCallsNothing) {
  LoopbackListener listener;
  RecordingSocket first;
  RecordingSocket second;
  PeerConnection firstPeer = connectTo(first, listener);
  PeerConnection secondPeer = connectTo(second, listener);
  std::string taken;
  // Whichever hears of its bytes first takes the other's too.
  first.react = [&](const std::string&) { taken += first.receiveAll() + second.receiveAll(); };
  second.react = [&](const std::string&) { taken += second.receiveAll() + first.receiveAll(); };
  firstPeer.send("a");
  secondPeer.send("b");
  ASSERT_TRUE(waitReadable(first.handle()) && waitReadable(second.handle()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return taken.size() == 2; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(first.count("receive 0") + second.count("receive 0"), 1);
}

TEST(AsyncSocket, SendingToAPeerThatIsGoneFailsWithoutEndingTheProgram) {
  LoopbackListener listener;
  RecordingSocket socket;
  PeerConnection peer = connectTo(socket, listener);
  peer.reset();
  ASSERT_TRUE(socket.waitFor("close " + std::to_string(ECONNRESET)));
  EXPECT_EQ(socket.send("x\n", 2), -1);
  EXPECT_EQ(socket.send("x\n", 2), -1);  // the one that would raise SIGPIPE
  EXPECT_EQ(socket.lastError(), EPIPE);
}

TEST(AsyncSocket, TheDestructorClosesAndABadLocalAddressFailsCreate) {
  int fd = -1;
  {
    RecordingSocket socket;
    EXPECT_FALSE(socket.create(0, SOCK_STREAM, CAsyncSocket::kAllEvents, "not-an-address"));
    EXPECT_EQ(socket.lastError(), EINVAL);
    ASSERT_TRUE(socket.create());
    fd = socket.handle();
  }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
}

}  // namespace
}  // namespace orvane::test
