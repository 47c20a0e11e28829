#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "AirLog.h"
#include "HttpEventStreams.h"
#include "HttpLinks.h"
#include "HttpMessage.h"
#include "HttpRateLimit.h"
#include "PollTask.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace orvane {

// Where the HTTP door listens and what it puts up with. Every bound is explicit: the door faces
// the station's network, and nothing a client sends may make the encoder grow or stall.
struct HttpSettings {
  std::string address = "127.0.0.1";  // dotted IPv4
  std::uint16_t port = 0;             // 0: any free port
  std::string token;                  // shared secret; empty: none (loopback only)
  std::size_t maxBodyBytes = 64 * 1024;
  std::size_t maxHeaders = 48;
  std::size_t maxHeaderBytes = 8 * 1024;  // request line and headers together
  // Connections open at once that are not event streams, all addresses together and each one:
  // one address, however many sockets it opens, leaves the rest to the others (the playout).
  unsigned maxClients = 32;
  unsigned maxClientsPerAddress = 8;
  unsigned requestsPerSecondPerClient = 50;
  unsigned requestsPerSecond = 2000;  // all clients together
  unsigned idleTimeoutSeconds = 10;   // a connection that sends nothing for this long is closed
  // From a connection's opening, or its last answer, to the last byte of its next request:
  // a client that sends a byte now and then is not idle, and is closed all the same.
  unsigned requestTimeoutSeconds = 10;
  // Event streams open at once, apart from maxClients: watchers stay, requests come and go.
  std::size_t maxEventStreams = 128;
  std::size_t maxEventStreamsPerAddress = 8;
};

// A token shorter than this is no secret on a network: it can be guessed.
inline constexpr std::size_t kMinNetworkTokenBytes = 16;

// Whether `address` reaches only this machine, so that the door may go without a token.
[[nodiscard]] bool isLoopbackAddress(std::string_view address);

// Why `token` will not do for a door at `address`, or nothing: away from loopback it is needed,
// and must be long enough not to be guessed. UTF-8.
[[nodiscard]] std::optional<std::string> tokenFault(std::string_view address,
                                                    std::string_view token);

// The encoder's HTTP door: libmicrohttpd driven by the server's own poll loop (one epoll
// descriptor and a deadline), so a request is answered between two turns of the signal and no
// thread ever touches the on-air state. Handlers are pure functions of a request already bounded,
// authorised and decoded; every refusal is a plain status and one log line about the peer.
// Connections may be suspended and resumed, for answers that stream.
class HttpServer : public PollTask {
 public:
  using MonotonicClock = std::function<std::int64_t()>;  // microseconds, any origin

  HttpServer(HttpSettings settings, AirLog& log, MonotonicClock clock = {});
  ~HttpServer() override;
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Routes may be set before or after `open` (the loop is the only caller); a path with no route
  // answers 404, a path with routes for other methods 405. "HEAD" is answered by a GET route,
  // without the body.
  void route(std::string method, std::string path, HttpHandler handler);

  // A path answered with server-sent events instead of one reply: `opening` gives the first
  // bytes of each new stream, `publish` the next ones for all.
  void eventStream(std::string path, std::function<std::string()> opening);
  void publish(std::string_view events) { streams_.publish(events); }
  [[nodiscard]] std::size_t eventStreams() const { return streams_.count(); }
  // Connections open now, event streams included.
  [[nodiscard]] unsigned connections() const { return static_cast<unsigned>(links_.count()); }

  // Starts listening. False with `error` filled in when the address cannot be had, or the
  // token will not do for it (tokenFault).
  [[nodiscard]] bool open(std::string& error);
  [[nodiscard]] std::uint16_t port() const { return port_; }
  [[nodiscard]] const HttpSettings& settings() const { return settings_; }
  // A reload's token, for the requests from now on; the connections open stay open.
  void setToken(std::string token) { settings_.token = std::move(token); }
  // The daemon, for handlers that suspend and resume connections; null before `open`.
  [[nodiscard]] MHD_Daemon* daemon() const { return daemon_; }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  struct Exchange;   // one request as it comes in
  struct Callbacks;  // libmicrohttpd's entry points, which need its own types
  friend struct Callbacks;

  // False when the connection is to be closed without an answer.
  bool handle(MHD_Connection* connection, Exchange& exchange, const char* upload,
              std::size_t* uploadSize);
  [[nodiscard]] bool admitted(MHD_Connection* connection, Exchange& exchange);
  [[nodiscard]] bool roomFor(MHD_Connection* connection, Exchange& exchange);
  void cutOverdue();
  [[nodiscard]] std::int64_t requestDeadline() const;
  [[nodiscard]] HttpResponse dispatch(Exchange& exchange);
  enum class Then { KeepOpen, Close };
  void refuse(MHD_Connection* connection, Exchange& exchange, int status, std::string_view why,
              Then then = Then::KeepOpen);
  void answer(MHD_Connection* connection, const HttpRequest& request, const HttpResponse& response,
              const std::map<std::string, std::string>& extraHeaders = {});

  HttpSettings settings_;
  AirLog& log_;
  MonotonicClock clock_;
  HttpRateLimit rateLimit_;
  std::map<std::pair<std::string, std::string>, HttpHandler> routes_;   // (path, method)
  std::map<std::string, std::function<std::string()>> streamOpenings_;  // by path
  HttpEventStreams streams_;
  HttpLinks links_;
  MHD_Daemon* daemon_ = nullptr;
  int epollFd_ = -1;  // the daemon's own, closed with it
  std::uint16_t port_ = 0;
};

}  // namespace orvane
