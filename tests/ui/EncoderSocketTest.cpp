// The console's connection on a real socket, against a scripted peer on a loopback port.
#include <gtest/gtest.h>

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
#include "LoopbackPeer.h"
#include "MessageStyle.h"

namespace orvane::test {
namespace {

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

  LoopbackPeer peer;
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
