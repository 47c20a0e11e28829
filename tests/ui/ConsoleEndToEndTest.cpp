// The real console window against the real orvane-encoder on a loopback port: what the operator
// types reaches the air, one command per tick.
#include <QTest>

#include "ConsoleWindowFixture.h"
#include "ControlId.h"
#include "EncoderProcess.h"

namespace orvane::test {
namespace {

using namespace control;

// A free loopback port the console accepts: its port field stops at 32767, below the range
// the system hands out for "any port".
std::uint16_t freeConsolePort() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto port = static_cast<std::uint16_t>(20000 + (getpid() * 7 + attempt * 131) % 12767);
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    const bool free = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    if (free) return port;
  }
  return 0;
}

class ConsoleEndToEnd : public ConsoleWindowFixture {
 protected:
  EncoderProcess encoder{{"--port", std::to_string(freeConsolePort())}};
};

TEST_F(ConsoleEndToEnd, ATypedRadiotextGoesOnAirThroughTheReferenceEncoder) {
  const std::uint16_t port = encoder.port();
  ASSERT_NE(port, 0);
  whileOpen([&] {
    type(kServerPort, QString::number(port));
    type(kRadioText1, QString::fromUtf8("Bom dia, Lisboa"));
    tick();  // "Conectar" takes the port from the record, which the tick keeps up to date
    click(kConnect);
    QTRY_VERIFY_WITH_TIMEOUT(console->state().connected == 1, 5000);
    EXPECT_EQ(enabled({kConnect, kDisconnect, kUpdateText}), "011");
    click(kUpdateText);
    EXPECT_EQ(enabled({kUpdateText}), "0");
    tick(4);  // TXT0, TXT1, ENCODE, then the queue is found empty
    EXPECT_EQ(enabled({kUpdateText}), "1");
    EXPECT_TRUE(encoder.skipPast("RTXT1 \"Bom dia, Lisboa\""));
    click(kDisconnect);
    EXPECT_EQ(console->state().connected, 0);
    EXPECT_TRUE(encoder.skipPast("Cliente saiu"));
  });
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace orvane::test
