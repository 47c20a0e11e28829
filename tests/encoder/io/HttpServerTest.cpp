#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <vector>

#include "HttpAccess.h"
#include "HttpClient.h"
#include "HttpFraming.h"
#include "HttpServer.h"

namespace orvane {
namespace {

using test::exchangeHttp;

TEST(HttpAccessTest, SecretMustMatchWholeAndExactly) {
  EXPECT_TRUE(sameSecret("s3cret", "s3cret"));
  for (const char* wrong : {"", "s3cre", "s3cret!", "S3cret", "s3cret s3cret", "xxxxxx"}) {
    EXPECT_FALSE(sameSecret("s3cret", wrong)) << wrong;
  }
  EXPECT_FALSE(sameSecret("", "")) << "no secret set must never match";
}

TEST(HttpAccessTest, TokenComesFromBearerHeaderOrArgument) {
  HttpRequest request;
  request.query.emplace("token", "from-url");
  EXPECT_EQ(presentedToken(request), "from-url");
  request.headers["authorization"] = "bEaReR  from-header";
  EXPECT_EQ(presentedToken(request), "from-header");
  request.headers["authorization"] = "basic  cmFkaW86czNjcjp0";  // radio:s3cr:t
  EXPECT_EQ(presentedToken(request), "s3cr:t") << "the password, colons and all";
  for (const char* unusable : {"Basic bm9jb2xvbg==", "Basic !!", "Digest x"}) {
    request.headers["authorization"] = unusable;
    EXPECT_EQ(presentedToken(request), unusable[0] == 'D' ? "from-url" : "") << unusable;
  }
}

TEST(HttpFramingTest, OnlyABodyWhoseEndIsBeyondDoubtIsRead) {
  using F = HttpHeaderFields;
  const F chunked{{"transfer-encoding", " Chunked "}};
  for (const F& sound : {F{}, F{{"content-length", "12"}}, chunked,
                         F{{"content-length", "5"}, {"content-length", "5, 5"}}}) {
    EXPECT_FALSE(framingFault(sound, "HTTP/1.1")) << sound.size();
  }
  for (const F& doubtful :
       {F{{"content-length", "4"}, {"transfer-encoding", "chunked"}},
        F{{"content-length", "0"}, {"content-length", "5"}}, F{{"content-length", "5, 6"}},
        F{{"content-length", "-1"}}, F{{"content-length", ""}}, F{{"content-length", "0x10"}},
        F{{"transfer-encoding", "chunked"}, {"transfer-encoding", "identity"}},
        F{{"transfer-encoding", "gzip, chunked"}}, F{{"transfer-encoding", "chunked, gzip"}}}) {
    EXPECT_TRUE(framingFault(doubtful, "HTTP/1.1")) << doubtful.front().second;
  }
  EXPECT_TRUE(framingFault(chunked, "HTTP/1.0"));
}

TEST(HttpAccessTest, FormBodyIsDecodedOrRefusedWhole) {
  std::multimap<std::string, std::string> query;
  ASSERT_TRUE(decodeForm("artist=Ana+Moura&title=Desfado%20%C3%A9&&flag", query));
  EXPECT_EQ(query.find("artist")->second, "Ana Moura");
  EXPECT_EQ(query.find("title")->second, "Desfado \xC3\xA9");
  EXPECT_EQ(query.find("flag")->second, "");
  std::multimap<std::string, std::string> untouched;
  for (const char* bad : {"a=%", "a=%4", "a=%zz", "%g1=x"}) {
    EXPECT_FALSE(decodeForm(bad, untouched)) << bad;
  }
  EXPECT_TRUE(untouched.empty());
}

TEST(HttpRateLimitTest, EachClientAndAllTogetherAreBoundedPerSecond) {
  HttpRateLimit limit(2, 3);
  EXPECT_TRUE(limit.admit("a", 0));
  EXPECT_TRUE(limit.admit("a", 1));
  EXPECT_FALSE(limit.admit("a", 2)) << "over its own share";
  EXPECT_TRUE(limit.admit("b", 3));
  EXPECT_FALSE(limit.admit("c", 4)) << "over the total";
  EXPECT_TRUE(limit.admit("a", HttpRateLimit::kWindowMicros)) << "a new second";
  EXPECT_TRUE(limit.admit("c", HttpRateLimit::kWindowMicros + 1));

  // A full table of clients makes room once their second is over, or no new one would ever come.
  HttpRateLimit full(1, HttpRateLimit::kMaxTrackedClients + 1);
  for (std::size_t i = 0; i < HttpRateLimit::kMaxTrackedClients; ++i) {
    ASSERT_TRUE(full.admit(std::to_string(i), 0));
  }
  EXPECT_FALSE(full.admit("new", 1)) << "all still in their second";
  EXPECT_TRUE(full.admit("new", HttpRateLimit::kWindowMicros));
}

// A server driven by the test itself, as the encoder's loop drives it.
class HttpServerTest : public ::testing::Test {
 protected:
  void start(HttpSettings settings = {}) {
    server_ = std::make_unique<HttpServer>(std::move(settings), log_);
    server_->route("GET", "/echo", [this](const HttpRequest& request) {
      ++echoes_;
      HttpResponse response;
      for (const auto& [key, value] : request.query) response.body += key + "=" + value + ";";
      response.body += request.body;
      return response;
    });
    server_->route("POST", "/echo", [](const HttpRequest& request) {
      return HttpResponse{201, "text/plain", request.body + "|" + request.query.begin()->second};
    });
    std::string error;
    ASSERT_TRUE(server_->open(error)) << error;
  }

  void turn() {
    auto wait = server_->wait();
    poll(wait.fds.data(), wait.fds.size(), 0);
    server_->service(wait.fds);
  }

  test::HttpReply send(const std::string& request) {
    return exchangeHttp(server_->port(), request, [this] { turn(); });
  }

  std::array<int, 2> logPipe_ = [] {
    std::array<int, 2> ends{};
    if (pipe(ends.data()) != 0) ends = {-1, -1};
    return ends;
  }();
  AirLog log_{logPipe_[1]};
  std::unique_ptr<HttpServer> server_;
  int echoes_ = 0;

  std::string logged() {
    std::string text(65536, '\0');
    fcntl(logPipe_[0], F_SETFL, O_NONBLOCK);
    const ssize_t got = read(logPipe_[0], text.data(), text.size());
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
  }
};

TEST_F(HttpServerTest, AnswersRoutesWithDecodedArgumentsAndForms) {
  start();
  auto reply =
      send("GET /echo?artist=Ana%20Moura&t=a%00b HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, std::string("artist=Ana Moura;t=a\0b;", 23)) << "a NUL cuts nothing short";
  reply = send(
      "POST /echo HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: "
      "application/x-www-form-urlencoded\r\nContent-Length: 9\r\n\r\ntitle=A+B");
  EXPECT_EQ(reply.status, 201);
  EXPECT_EQ(reply.body, "title=A+B|A B");
}

TEST_F(HttpServerTest, RefusesWithAClearStatusEach) {
  HttpSettings settings;
  settings.maxBodyBytes = 16;
  settings.maxHeaders = 4;
  start(settings);
  const std::string head = "Host: x\r\nConnection: close\r\n";
  EXPECT_EQ(send("GET /nothing HTTP/1.1\r\n" + head + "\r\n").status, 404);
  const auto wrongMethod = send("DELETE /echo HTTP/1.1\r\n" + head + "\r\n");
  EXPECT_EQ(wrongMethod.status, 405);
  EXPECT_NE(wrongMethod.head.find("Allow: GET, POST"), std::string::npos);
  EXPECT_EQ(
      send("POST /echo HTTP/1.1\r\n" + head + "Content-Length: 17\r\n\r\n" + std::string(17, 'x'))
          .status,
      413);
  EXPECT_EQ(send("POST /echo HTTP/1.1\r\n" + head + "Transfer-Encoding: chunked\r\n\r\n11\r\n" +
                 std::string(17, 'x') + "\r\n0\r\n\r\n")
                .status,
            413)
      << "a chunked body is bounded as it comes";
  EXPECT_EQ(send("GET /echo HTTP/1.1\r\n" + head + "A: 1\r\nB: 2\r\nC: 3\r\n\r\n").status, 431);
  EXPECT_EQ(send("GET /echo%00.php HTTP/1.1\r\n" + head + "\r\n").status, 400);
  EXPECT_NE(logged().find("GET /echo%00.php recusado, 400 (NUL no caminho)"), std::string::npos);
  EXPECT_EQ(send("POST /echo HTTP/1.1\r\n" + head +
                 "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n\r\na=%")
                .status,
            400);
}

TEST_F(HttpServerTest, TokenIsRequiredWhenSetAndNeverReachesHandlers) {
  HttpSettings settings;
  settings.token = "s3cret";
  start(settings);
  const std::string tail = " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n";
  const auto refused = send("GET /echo" + tail + "\r\n");
  EXPECT_EQ(refused.status, 401);
  EXPECT_NE(refused.head.find("WWW-Authenticate: Bearer"), std::string::npos);
  EXPECT_EQ(send("GET /echo?token=wrong" + tail + "\r\n").status, 401);
  EXPECT_EQ(send("GET /echo?token=s3cret&a=1" + tail + "\r\n").body, "a=1;");
  EXPECT_EQ(send("GET /echo" + tail + "Authorization: Bearer s3cret\r\n\r\n").status, 200);
}

// The smuggled request rides in the body of one a proxy in front would have read differently.
TEST_F(HttpServerTest, AmbiguousFramingIsRefusedAndNothingAfterItIsRun) {
  start();
  const std::string smuggled = "GET /echo?smuggled=1 HTTP/1.1\r\nHost: x\r\n\r\n";
  for (const char* framing :
       {"Content-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
        "Content-Length: 0\r\nContent-Length: 5\r\n\r\n",
        "Transfer-Encoding: chunked\r\nTransfer-Encoding: identity\r\n\r\n0\r\n\r\n"}) {
    const auto reply = send(std::string("POST /echo HTTP/1.1\r\nHost: x\r\n") + framing + smuggled);
    EXPECT_EQ(reply.status, 400) << framing;
    EXPECT_NE(reply.head.find("Connection: close"), std::string::npos);
    EXPECT_EQ(reply.body.find("HTTP/1.1"), std::string::npos) << "a second answer";
  }
  EXPECT_EQ(echoes_, 0);
}

// One address holds 40 sockets trickling their heads and 300 silent ones: another address is
// answered at once, and the trickling ones go at the deadline although never silent.
TEST_F(HttpServerTest, OneAddressCannotTakeThePlacesOfAnother) {
  HttpSettings settings;
  settings.requestTimeoutSeconds = 1;
  start(settings);
  sockaddr_in to{AF_INET, htons(server_->port()), {htonl(INADDR_LOOPBACK)}, {}};
  std::vector<int> slow, idle;
  for (int i = 0; i < 340; ++i) {
    const int fd = test::socketFrom("127.0.0.1", SOCK_NONBLOCK);
    connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    (i < 40 ? slow : idle).push_back(fd);
    turn();
  }
  const auto trickle = [&] {
    for (int fd : slow) ::send(fd, "GET /echo HTTP/1.1\r\nX-", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    turn();
  };
  using Clock = std::chrono::steady_clock;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    const auto reply = test::exchangeHttp(
        server_->port(), "GET /echo HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", trickle,
        2000, "127.0.0.2");
    EXPECT_EQ(reply.status, 200);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  }
  EXPECT_LE(server_->connections(),
            settings.maxClientsPerAddress + settings.maxEventStreamsPerAddress);
  for (const auto end = Clock::now() + std::chrono::milliseconds(2500);
       Clock::now() < end && server_->connections() > 0;) {
    trickle();
    poll(nullptr, 0, 20);
  }
  EXPECT_EQ(server_->connections(), 0u) << "the deadline, not silence, ends a trickling head";
  EXPECT_NE(logged().find("pedido por acabar ao fim de 1 s, cortado"), std::string::npos);
  for (int fd : slow) close(fd);
  for (int fd : idle) close(fd);
}

TEST_F(HttpServerTest, FloodIsTurnedAwayWithTooManyRequests) {
  HttpSettings settings;
  settings.requestsPerSecondPerClient = 3;
  start(settings);
  int refused = 0;
  for (int i = 0; i < 6; ++i) {
    refused += send("GET /echo HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").status == 429;
  }
  EXPECT_GE(refused, 2);
}

}  // namespace
}  // namespace orvane
