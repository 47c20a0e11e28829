#include <gtest/gtest.h>

#include <chrono>

#include "HttpClient.h"
#include "RdsDecoder.h"
#include "StatusDoor.h"
#include "StatusJson.h"
#include "StatusPages.h"
#include "SystemClock.h"
#include "UecpPeer.h"

// The status door in one process with the signal it reads back, driven turn by turn as the
// encoder's loop drives it; the test receiver reads the same groups the page is built from.
namespace orvane::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string request(const std::string& path, const std::string& method = "GET") {
  return method + " " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
}

// A client that connects without waiting and then does nothing more: one of many.
FileDescriptor idleClient(std::uint16_t port, const std::string& bytes,
                          const std::string& from = "127.0.0.1") {
  FileDescriptor fd(socketFrom(from.c_str(), SOCK_NONBLOCK));
  sockaddr_in where{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
  connect(fd.get(), reinterpret_cast<sockaddr*>(&where), sizeof where);
  send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);  // if it is connected already
  return fd;
}

class StatusDoor : public ::testing::Test {
 protected:
  void SetUp() override {
    signal_.watchGroups([this](const RdsGroup& group, std::int64_t micros) {
      groups_.push_back(group);
      readBack_.take(group, micros);
    });
    StatusMonitor::Sources sources{&readBack_, &signal_, nullptr, &ledger_, &log_.log, {},
                                   {},         {},       {},      {},       {}};
    monitor_ = std::make_unique<StatusMonitor>(
        std::move(sources), AlarmSettings{},
        StatusMonitor::Clocks{monotonicMicros, unixMicros, [] { return true; }}, log_.log);
    attachStatus(http_, *monitor_);
    std::string error;
    ASSERT_TRUE(http_.open(error)) << error;
  }

  // One turn of the loop; without `air`, no group is made, so what was sent stands still.
  void turn(bool air = true) {
    if (air) signal_.service();
    auto wait = http_.wait();
    poll(wait.fds.data(), wait.fds.size(), 0);
    http_.service(wait.fds);
    monitor_->service();
  }

  void airFor(std::chrono::milliseconds length) {
    for (const auto end = Clock::now() + length; Clock::now() < end;) {
      turn();
      poll(nullptr, 0, 2);
    }
  }

  HttpReply get(const std::string& path, const std::string& method = "GET") {
    return exchangeHttp(http_.port(), request(path, method), [this] { turn(false); });
  }

  OnAirState state_;
  SignalOutput signal_{state_,
                       GroupScheduler(
                           0x8201, [](std::int64_t) { return 0; }, 0xE4),
                       {},
                       {monotonicMicros, unixMicros}};
  std::vector<RdsGroup> groups_;
  AirReadBack readBack_;
  ChangeLedger ledger_{unixMicros};
  PipedLog log_;
  HttpServer http_{{}, log_.log};
  std::unique_ptr<StatusMonitor> monitor_;
};

TEST_F(StatusDoor, StatusAndMetricsSayWhatTheTestReceiverHears) {
  state_.programmeServiceName = "ORVANE";
  state_.radiotext = {"Bom dia, Lisboa", "Fado - Amália"};
  state_.trafficAnnouncement = state_.trafficProgramme = true;
  state_.programmeType = 26;
  airFor(std::chrono::milliseconds(7000));  // both radiotext lines, each twice through
  const Station heard = decodeStation(groups_);

  const HttpReply status = get("/status");
  ASSERT_EQ(status.status, 200);
  EXPECT_NE(status.head.find("application/json"), std::string::npos);
  ASSERT_GE(heard.radiotexts.size(), 2u);
  for (const std::string& part :
       {"\"ps\":\"" + heard.serviceNames.back() + "\"",
        "{\"text\":\"" + heard.radiotexts.back() + "\",\"complete\":true,\"on_air\":true}",
        "{\"text\":\"" + heard.radiotexts[heard.radiotexts.size() - 2] + "\"",
        std::string("\"ta\":true"), std::string("\"name\":\"Música Nacional\""),
        std::string("\"ecc\":\"E4\"")}) {
    EXPECT_NE(status.body.find(part), std::string::npos) << part << "\n" << status.body;
  }

  std::size_t serviceNameGroups = 0;
  for (const RdsGroup& group : groups_) serviceNameGroups += group.blocks[1] >> 11 == 0 ? 1 : 0;
  const HttpReply metrics = get("/metrics");
  EXPECT_NE(metrics.body.find("orvane_groups_sent_total{type=\"0A\"} " +
                              std::to_string(serviceNameGroups) + "\n"),
            std::string::npos)
      << metrics.body;

  // Well under the 5 ms a monitoring system may allow for an answer.
  const auto start = Clock::now();
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(statusAnswer(monitor_->snapshot()).body.empty());
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
}

TEST_F(StatusDoor, EventsFollowTheAirWithinAFifthOfASecond) {
  state_.radiotext[0] = "Antes";
  airFor(std::chrono::milliseconds(1500));
  FileDescriptor stream = idleClient(http_.port(), request("/events"));
  std::string received;
  auto read = [&] {
    char chunk[65536];
    for (ssize_t got; (got = recv(stream.get(), chunk, sizeof chunk, MSG_DONTWAIT)) > 0;) {
      received.append(chunk, static_cast<std::size_t>(got));
    }
  };
  for (const auto end = Clock::now() + std::chrono::seconds(2);
       Clock::now() < end && received.find("event: status") == std::string::npos;) {
    turn();
    read();
  }
  ASSERT_NE(received.find("text/event-stream"), std::string::npos) << received;
  ASSERT_NE(received.find("\"text\":\"Antes\""), std::string::npos);

  state_.radiotext[0] = "Depois";
  std::optional<Clock::time_point> onAir;
  for (const auto end = Clock::now() + std::chrono::seconds(5);
       Clock::now() < end && received.find("\"text\":\"Depois\"") == std::string::npos;) {
    turn();
    if (!onAir && (readBack_.view().radiotext[0].text == "Depois" ||
                   readBack_.view().radiotext[1].text == "Depois")) {
      onAir = Clock::now();
    }
    read();
    poll(nullptr, 0, 1);
  }
  ASSERT_TRUE(onAir);
  ASSERT_NE(received.find("\"text\":\"Depois\""), std::string::npos);
  EXPECT_LT(Clock::now() - *onAir, std::chrono::milliseconds(200));
}

// A thousand watchers that never read, a slow client, huge headers, wrong methods and paths
// outside the page: the signal keeps its time, and the door still answers.
TEST_F(StatusDoor, HostileClientsNeverHoldTheSignalBack) {
  state_.programmeServiceName = "ORVANE";
  airFor(std::chrono::milliseconds(300));
  std::vector<FileDescriptor> idle;
  std::int64_t worstLag = 0;
  for (int i = 0; i < 1000; ++i) {
    idle.push_back(idleClient(http_.port(), request("/events")));
    if (i % 10 == 0) {
      turn();
      worstLag = std::max(worstLag, signal_.health().lagMicros.value_or(0));
    }
  }
  idle.push_back(idleClient(http_.port(), "GET /status HTTP/1.1\r\nHo"));  // and never the rest
  airFor(std::chrono::milliseconds(500));
  worstLag = std::max(worstLag, signal_.health().lagMicros.value_or(0));
  EXPECT_LT(worstLag, GroupScheduler::kGroupMicros);
  EXPECT_GT(http_.eventStreams(), 0u);
  EXPECT_LE(http_.eventStreams(), HttpSettings{}.maxEventStreams);

  EXPECT_EQ(get("/status").status, 200);
  EXPECT_EQ(get("/status", "DELETE").status, 405);
  for (const char* outside :
       {"/../../etc/passwd", "/web/app.js", "/%2e%2e/status", "/index.html"}) {
    EXPECT_EQ(get(outside).status, 404) << outside;
  }
  const std::string huge = "GET /status HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'a') +
                           "\r\nConnection: close\r\n\r\n";
  const int refused = exchangeHttp(http_.port(), huge, [this] { turn(false); }).status;
  EXPECT_TRUE(refused == 431 || refused == 413) << refused;
  const HttpReply page = get("/");
  EXPECT_EQ(page.status, 200);
  for (const char* header : {"Security-Policy: default-src 'none'; script-src 'self'",
                             "frame-ancestors 'none'", "nosniff", "no-referrer", "no-store"}) {
    EXPECT_NE(page.head.find(header), std::string::npos) << header;
  }
}

// What the documentation promises a control room: sixteen screens, eight watchers each, and
// requests still answered beside them.
TEST_F(StatusDoor, EventStreamsAre128From16AddressesEightEach) {
  std::vector<FileDescriptor> watchers;
  for (int address = 1; address <= 16; ++address) {
    for (int i = 0; i < 9; ++i) {
      watchers.push_back(
          idleClient(http_.port(), request("/events"), "127.0.0." + std::to_string(address)));
    }
    turn(false);
  }
  for (const auto end = Clock::now() + std::chrono::seconds(3); Clock::now() < end;) {
    turn(false);
    poll(nullptr, 0, 5);
  }
  EXPECT_EQ(http_.eventStreams(), 128u) << "a ninth from one address is refused";
  EXPECT_EQ(get("/status").status, 200);
}

}  // namespace
}  // namespace orvane::test
