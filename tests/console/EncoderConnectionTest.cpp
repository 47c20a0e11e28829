#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "EncoderConnection.h"
#include "MessageStyle.h"

namespace orvane {
namespace {

using test::ConsoleHarness;

class EncoderConnectionTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  EncoderConnection& connection = console.core.connection();
  ConsoleState& state = console.state;

  void expectDisconnectedButtons() {
    EXPECT_TRUE(console.window.isEnabled(control::kConnect));
    EXPECT_FALSE(console.window.isEnabled(control::kDisconnect, true));
    for (const int button : control::kUpdateButtons) {
      EXPECT_FALSE(console.window.isEnabled(button, true));
    }
  }
};

TEST_F(EncoderConnectionTest, ConnectUsesTheAddressControlAndThePortAndWaitsForTheOutcome) {
  console.window.address = 0xFFFE0A02;
  state.serverPort = 7000;
  connection.connect();
  EXPECT_EQ(console.link.connectedHost, "255.254.10.2");
  EXPECT_EQ(console.link.connectedPort, 7000U);
  EXPECT_FALSE(console.window.isEnabled(control::kConnect, true));
  EXPECT_EQ(state.connected, 0);  // only the connect-complete event says so

  console.window.calls.clear();
  connection.connectComplete(0);
  EXPECT_EQ(state.connected, 1);
  EXPECT_EQ(console.window.calls,
            (std::vector<std::string>{"enable 1009 1", "enable 1008 0", "enable 1012 1",
                                      "enable 1015 1", "enable 1018 1"}));
}

TEST_F(EncoderConnectionTest, AFailedConnectTellsTheOperatorAndGoesBackToDisconnected) {
  connection.connect();
  connection.connectComplete(111);
  ASSERT_EQ(console.window.messages.size(), 1U);
  const auto& box = console.window.messages[0];
  EXPECT_EQ(box.title, pt("Windows Socket connect ERROR   :-("));
  EXPECT_EQ(box.text, pt("O Servidor não está presentemente a correr,\nou os dados não estão "
                         "correctos.\nVerifique os valores e o sistema destino."));
  EXPECT_EQ(box.style, message::kOkStop);
  EXPECT_EQ(console.link.closes, 1);
  expectDisconnectedButtons();
}

TEST_F(EncoderConnectionTest, AConnectThatCannotStartFailsLikeOneThatFailsLater) {
  struct Case {
    bool created;
    bool started;
    std::uint32_t port;  // outside TCP's range it would be cut to 16 bits and reach another port
  };
  for (const Case c : {Case{true, false, 6969}, Case{false, true, 6969}, Case{true, true, 0},
                       Case{true, true, 65536}, Case{true, true, 4294967295U}}) {
    ConsoleHarness fresh;
    fresh.link.createResult = c.created;
    fresh.link.connectResult = c.started;
    fresh.state.serverPort = c.port;
    fresh.core.connection().connect();
    EXPECT_EQ(fresh.window.messages.size(), 1U) << c.port;
    EXPECT_TRUE(fresh.window.isEnabled(control::kConnect)) << c.port;
    EXPECT_FALSE(fresh.window.isEnabled(control::kDisconnect, true)) << c.port;
    if (c.port != 6969) {
      EXPECT_EQ(fresh.link.connectedPort, 0U) << "connect was tried";
    }
  }
}

TEST_F(EncoderConnectionTest, ClosingMidBatchDropsTheRestAndStopsTheRotation) {
  console.connect();
  state.radioText1 = "um";
  console.core.updates().textUpdate();
  state.autoRotate = 1;
  console.ticks(1);
  ASSERT_EQ(console.link.sent.size(), 1U);

  console.window.calls.clear();
  connection.closeProcedure();
  EXPECT_EQ(state.connected, 0);
  EXPECT_EQ(state.busy, 0);
  EXPECT_EQ(state.queueActive, 0);
  EXPECT_TRUE(state.sendQueue.empty());
  EXPECT_EQ(state.autoRotate, 0);
  EXPECT_EQ(console.link.closes, 1);
  EXPECT_EQ(console.window.calls.front(), "toRecord");
  EXPECT_EQ(console.window.calls.back(), "toWindow");
  expectDisconnectedButtons();

  console.ticks(3);
  EXPECT_EQ(console.link.sent.size(), 1U);
}

TEST_F(EncoderConnectionTest, EveryReceivedChunkIsShownAsItCameWithinTheReceiveBuffer) {
  console.link.incoming = {std::string("OK\r\nmais\0resto", 14),
                           std::string(kReceiveChunk + 1, 'r'), ""};
  for (int receive = 0; receive < 5; ++receive) connection.receiveText();
  ASSERT_EQ(console.window.messages.size(), 4U);  // the fifth receive fails: nothing is shown
  EXPECT_EQ(console.window.messages[0].text, "OK\r\nmais");  // shown up to its first zero
  EXPECT_EQ(console.window.messages[0].title, pt("Mensagem recebida por Socket."));
  EXPECT_EQ(console.window.messages[0].style, message::kOk);
  EXPECT_EQ(console.window.messages[1].text.size(), kReceiveChunk);  // a full chunk, zero fits
  EXPECT_EQ(state.receiveBuffer[kReceiveChunk], '\0');
  EXPECT_EQ(console.window.messages[2].text, "r");
  EXPECT_EQ(console.window.messages[3].text, "");  // the empty receive: an empty box
}

}  // namespace
}  // namespace orvane
