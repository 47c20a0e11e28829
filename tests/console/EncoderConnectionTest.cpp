#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "ControlId.h"
#include "EncoderConnection.h"
#include "MessageStyle.h"

namespace orvane {
namespace {

using test::ConsoleHarness;

// The real socket's tests see a refused connect; these are the failures it cannot produce.
TEST(EncoderConnection, EveryFailedConnectIsReportedOnceAndLeavesConnectReadyAgain) {
  struct Case {
    bool created;
    bool started;
    std::uint32_t port;  // outside TCP's range it would be cut to 16 bits and reach another port
    int completion;      // the error the connect-complete event brings, if it comes
  };
  for (const Case c :
       {Case{true, true, 6969, 111}, Case{true, false, 6969, 0}, Case{false, true, 6969, 0},
        Case{true, true, 0, 0}, Case{true, true, 65536, 0}, Case{true, true, 4294967295U, 0}}) {
    ConsoleHarness console;
    console.link.createResult = c.created;
    console.link.connectResult = c.started;
    console.state.serverPort = c.port;
    console.window.address = 0xC8010AFF;  // every byte a different width, one past 127
    console.core.connection().connect();
    if (c.completion != 0) {
      EXPECT_FALSE(console.window.isEnabled(control::kConnect, true)) << "while it is pending";
      console.core.connection().connectComplete(c.completion);
    }
    ASSERT_EQ(console.window.messages.size(), 1U) << c.port;
    EXPECT_EQ(console.window.messages[0].style, message::kOkStop);
    EXPECT_TRUE(console.window.isEnabled(control::kConnect)) << c.port;
    EXPECT_FALSE(console.window.isEnabled(control::kDisconnect, true)) << c.port;
    EXPECT_FALSE(console.window.isEnabled(control::kUpdateText, true)) << c.port;
    const bool tried = c.created && c.port == 6969;  // never with a port cut to 16 bits
    EXPECT_EQ(std::pair(console.link.connectedAddress, console.link.connectedPort),
              tried ? std::pair(std::string("200.1.10.255"), 6969U) : std::pair(std::string(), 0U));
  }
}

TEST(EncoderConnection, EveryReceivedChunkIsShownAsItCameWithinTheReceiveBuffer) {
  ConsoleHarness console;
  console.link.incoming = {std::string("OK\r\nmais\0resto", 14),
                           std::string(kReceiveChunk + 1, 'r'), ""};
  for (int receive = 0; receive < 5; ++receive) console.core.connection().receiveText();
  ASSERT_EQ(console.window.messages.size(), 4U);  // the fifth receive fails: nothing is shown
  EXPECT_EQ(console.window.messages[0].text, "OK\r\nmais");          // shown up to its first zero
  EXPECT_EQ(console.window.messages[1].text.size(), kReceiveChunk);  // a full chunk, zero fits
  EXPECT_EQ(console.state.receiveBuffer[kReceiveChunk], '\0');
  EXPECT_EQ(console.window.messages[2].text, "r");
  EXPECT_EQ(console.window.messages[3].text, "");  // the empty receive: an empty box
}

}  // namespace
}  // namespace orvane
