#include "HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <climits>

#include "HttpAccess.h"
#include "HttpFraming.h"
#include "Listener.h"
#include "PrintableQuote.h"
#include "SystemClock.h"

namespace orvane {
namespace {

constexpr std::size_t kQuotedPathMax = 48;
constexpr unsigned kConnectionHeadroom = 4;  // beyond the bound, still answered with 503
constexpr std::size_t kMinPoolBytes = 16 * 1024;
constexpr std::size_t kMaxDiscardedBytes = 1024 * 1024;
constexpr std::string_view kFormType = "application/x-www-form-urlencoded";
// A Content-Length of more digits than this is refused unread: eighteen digits always fit the
// 64 bits std::stoull gives, so reading it can never throw out of range.
constexpr std::size_t kMaxLengthDigits = 18;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerMilli = 1000;

// A handler's reason for the log: its first line, bounded, control bytes made harmless.
std::string reason(std::string_view body) {
  constexpr std::size_t kReasonMax = 80;
  std::string out(body.substr(0, std::min(body.find('\n'), kReasonMax)));
  for (char& c : out) c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return out;
}

std::string peerAddress(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (info == nullptr || info->client_addr == nullptr || info->client_addr->sa_family != AF_INET) {
    return "?";
  }
  // The sockets API hands every address family through one generic pointer type.
  const auto* where = reinterpret_cast<const sockaddr_in*>(info->client_addr);
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &where->sin_addr, text, sizeof text);
  return text;
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

struct HeaderTally {
  std::map<std::string, std::string>* headers;
  HttpHeaderFields fields;  // with repeats, which the map folds into one
  std::size_t count = 0;
  std::size_t bytes = 0;
};

// With their sizes: a NUL inside a value (%00) stays in it, for the handler to refuse, rather
// than cutting the value short.
MHD_Result addHeader(void* tally, MHD_ValueKind, const char* key, std::size_t keySize,
                     const char* value, std::size_t valueSize) {
  auto& t = *static_cast<HeaderTally*>(tally);
  const std::string_view v =
      value == nullptr ? std::string_view{} : std::string_view(value, valueSize);
  ++t.count;
  t.bytes += keySize + v.size() + 4;  // ": " and the line end
  std::string name = lowerCase(std::string(key, keySize));
  (*t.headers)[name] = v;
  t.fields.emplace_back(std::move(name), v);
  return MHD_YES;
}

MHD_Result addArgument(void* query, MHD_ValueKind, const char* key, std::size_t keySize,
                       const char* value, std::size_t valueSize) {
  static_cast<std::multimap<std::string, std::string>*>(query)->emplace(
      std::string(key, keySize), value == nullptr ? std::string() : std::string(value, valueSize));
  return MHD_YES;
}

}  // namespace

bool isLoopbackAddress(std::string_view address) {
  in_addr parsed{};
  const std::string text(address);
  return inet_pton(AF_INET, text.c_str(), &parsed) == 1 && (ntohl(parsed.s_addr) >> 24) == 127;
}

std::optional<std::string> tokenFault(std::string_view address, std::string_view token) {
  if (isLoopbackAddress(address)) return std::nullopt;
  // A door open to the network without a secret lets anyone put text on air.
  if (token.empty()) return "HTTP em " + std::string(address) + " aberto à rede sem token";
  if (token.size() < kMinNetworkTokenBytes) {
    return "o token do HTTP em " + std::string(address) + " tem de ter pelo menos " +
           std::to_string(kMinNetworkTokenBytes) + " caracteres (openssl rand -hex 16)";
  }
  return std::nullopt;
}

struct HttpServer::Exchange {
  std::string target;  // the path as sent, still escaped: what the log shows
  std::string version;
  bool started = false;
  HttpRequest request;
  bool answered = false;  // a refusal went out before the body was read
  bool tooLarge = false;  // the body passed the bound; the rest is dropped
  std::size_t discarded = 0;
};

struct HttpServer::Callbacks {
  static MHD_Result request(void* self, MHD_Connection* connection, const char* url,
                            const char* method, const char* version, const char* upload,
                            std::size_t* uploadSize, void** state) {
    auto& server = *static_cast<HttpServer*>(self);
    if (*state == nullptr) *state = new Exchange;
    auto& exchange = *static_cast<Exchange*>(*state);
    if (!exchange.started) {
      exchange.started = true;
      exchange.request.method = method;
      exchange.request.path = url;
      exchange.request.peer = peerAddress(connection);
      exchange.version = version == nullptr ? "" : version;
      if (!server.admitted(connection, exchange)) exchange.answered = true;
      return MHD_YES;
    }
    return server.handle(connection, exchange, upload, uploadSize) ? MHD_YES : MHD_NO;
  }

  // Called with the target as it came, before the daemon decodes it and cuts it at a %00.
  static void* target(void*, const char* uri, MHD_Connection*) {
    auto* exchange = new Exchange;
    const std::string_view sent(uri == nullptr ? "" : uri);
    exchange->target = sent.substr(0, sent.find('?'));  // never the query: it may hold the token
    return exchange;
  }

  static void completed(void* self, MHD_Connection* connection, void** state,
                        MHD_RequestTerminationCode) {
    delete static_cast<Exchange*>(*state);
    *state = nullptr;
    auto& server = *static_cast<HttpServer*>(self);
    if (HttpLinks::Link* link = server.links_.find(connection); link && !link->stream) {
      link->deadline = server.requestDeadline();  // the next request's time starts now
    }
  }

  static void connection(void* self, MHD_Connection* connection, void**,
                         MHD_ConnectionNotificationCode what) {
    auto& server = *static_cast<HttpServer*>(self);
    if (what == MHD_CONNECTION_NOTIFY_CLOSED) {
      server.links_.closed(connection);
      return;
    }
    const MHD_ConnectionInfo* fd =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    server.links_.opened(connection, {peerAddress(connection), fd == nullptr ? -1 : fd->connect_fd,
                                      server.requestDeadline(), false});
  }
};

HttpServer::HttpServer(HttpSettings settings, AirLog& log, MonotonicClock clock)
    : settings_(std::move(settings)),
      log_(log),
      clock_(clock ? std::move(clock) : MonotonicClock(monotonicMicros)),
      rateLimit_(settings_.requestsPerSecondPerClient, settings_.requestsPerSecond),
      streams_(settings_.maxEventStreams, settings_.maxEventStreamsPerAddress) {}

HttpServer::~HttpServer() {
  streams_.closeAll();  // no connection may be left suspended when the daemon stops
  if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
}

void HttpServer::eventStream(std::string path, std::function<std::string()> opening) {
  // The route makes the path known to the checks (404, 405, token); the stream answers it.
  route("GET", path, [](const HttpRequest&) { return HttpResponse{}; });
  streamOpenings_[std::move(path)] = std::move(opening);
}

void HttpServer::route(std::string method, std::string path, HttpHandler handler) {
  routes_[{std::move(path), std::move(method)}] = std::move(handler);
}

bool HttpServer::open(std::string& error) {
  if (const auto fault = tokenFault(settings_.address, settings_.token)) {
    error = *fault + ": recusado";
    return false;
  }
  FileDescriptor socket = listenOn(settings_.address, settings_.port, error);
  if (!socket.valid()) return false;
  const std::size_t pool = std::max(kMinPoolBytes, 2 * settings_.maxHeaderBytes);
  daemon_ = MHD_start_daemon(
      MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr, nullptr, &Callbacks::request, this,
      MHD_OPTION_LISTEN_SOCKET, socket.get(), MHD_OPTION_CONNECTION_LIMIT,
      static_cast<unsigned>(settings_.maxClients + settings_.maxEventStreams + kConnectionHeadroom),
      // Turned away at the door, before a byte is read: one address's sockets beyond its share.
      MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      static_cast<unsigned>(settings_.maxClientsPerAddress + settings_.maxEventStreamsPerAddress),
      MHD_OPTION_CONNECTION_TIMEOUT, settings_.idleTimeoutSeconds, MHD_OPTION_URI_LOG_CALLBACK,
      &Callbacks::target, this, MHD_OPTION_CONNECTION_MEMORY_LIMIT, pool,
      MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::completed, this, MHD_OPTION_NOTIFY_CONNECTION,
      &Callbacks::connection, this, MHD_OPTION_END);
  const MHD_DaemonInfo* info =
      daemon_ == nullptr ? nullptr : MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
  if (info == nullptr) {
    error = "não foi possível abrir o servidor HTTP em " + settings_.address;
    return false;
  }
  epollFd_ = info->epoll_fd;
  port_ = localPort(socket.get());
  socket.release();  // the daemon closes it when it stops
  return true;
}

PollTask::Wait HttpServer::wait() {
  Wait wait;
  if (daemon_ == nullptr) return wait;
  wait.fds.push_back({epollFd_, POLLIN, 0});
  MHD_UNSIGNED_LONG_LONG ms = 0;
  if (MHD_get_timeout(daemon_, &ms) == MHD_YES) {
    wait.timeoutMs = static_cast<int>(std::min<MHD_UNSIGNED_LONG_LONG>(ms, INT_MAX));
  }
  if (const auto deadline = links_.nextDeadline()) {
    const std::int64_t left = std::max<std::int64_t>(0, *deadline - clock_());
    const int leftMs = static_cast<int>(
        std::min<std::int64_t>(INT_MAX, (left + kMicrosPerMilli - 1) / kMicrosPerMilli));
    wait.timeoutMs = wait.timeoutMs < 0 ? leftMs : std::min(wait.timeoutMs, leftMs);
  }
  // Streams woken by new events are the daemon's to write at once.
  if (streams_.takeWoken()) wait.timeoutMs = 0;
  return wait;
}

bool HttpServer::service(std::span<const pollfd>) {
  if (daemon_ == nullptr) return true;
  cutOverdue();
  MHD_run(daemon_);
  return true;
}

std::int64_t HttpServer::requestDeadline() const {
  return clock_() + static_cast<std::int64_t>(settings_.requestTimeoutSeconds) * kMicrosPerSecond;
}

// The daemon has no call to close a connection it did not decide to close. Shutting the socket
// down, not closing it, leaves the descriptor the daemon's: it sees the end at its next read
// and lets the connection go as if the client had left.
void HttpServer::cutOverdue() {
  for (const HttpLinks::Link& link : links_.takeOverdue(clock_())) {
    log_.writeAboutPeer("HTTP " + link.peer + ": pedido por acabar ao fim de " +
                        std::to_string(settings_.requestTimeoutSeconds) + " s, cortado");
    if (link.fd >= 0) shutdown(link.fd, SHUT_RDWR);
  }
}

// One address may not take the places of the others, nor streams the places of requests.
bool HttpServer::roomFor(MHD_Connection* connection, Exchange& exchange) {
  const HttpRequest& request = exchange.request;
  if (request.method == "GET" && streamOpenings_.contains(request.path)) {
    if (streams_.room(request.peer)) return true;
    refuse(connection, exchange, MHD_HTTP_SERVICE_UNAVAILABLE, "demasiados fluxos de eventos");
    return false;
  }
  if (links_.requests() <= settings_.maxClients &&
      links_.requestsFrom(request.peer) <= settings_.maxClientsPerAddress) {
    return true;
  }
  refuse(connection, exchange, MHD_HTTP_SERVICE_UNAVAILABLE, "demasiados clientes");
  return false;
}

// Checks everything that the head of a request decides, cheapest and most telling first: a
// flood is turned away before its token is compared, and an unknown path before its body is read.
bool HttpServer::admitted(MHD_Connection* connection, Exchange& exchange) {
  HttpRequest& request = exchange.request;
  if (!roomFor(connection, exchange)) return false;
  if (!rateLimit_.admit(request.peer, clock_())) {
    refuse(connection, exchange, MHD_HTTP_TOO_MANY_REQUESTS, "demasiados pedidos");
    return false;
  }
  HeaderTally tally{&request.headers, {}};
  MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &addHeader, &tally);
  if (tally.count > settings_.maxHeaders ||
      tally.bytes + request.path.size() > settings_.maxHeaderBytes) {
    refuse(connection, exchange, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE, "cabeçalhos a mais");
    return false;
  }
  // Whatever follows a request whose end is in doubt could be read as another request, one a
  // proxy in front never saw (RFC 9112, 6.3): the connection goes with the refusal.
  if (const auto fault = framingFault(tally.fields, exchange.version)) {
    refuse(connection, exchange, MHD_HTTP_BAD_REQUEST, *fault, Then::Close);
    return false;
  }
  // The daemon cuts a path at its first NUL, so "/nowplaying%00.php" would be "/nowplaying".
  if (exchange.target.find("%00") != std::string::npos) {
    refuse(connection, exchange, MHD_HTTP_BAD_REQUEST, "NUL no caminho");
    return false;
  }
  MHD_get_connection_values_n(connection, MHD_GET_ARGUMENT_KIND, &addArgument, &request.query);
  if (!settings_.token.empty() && !sameSecret(settings_.token, presentedToken(request))) {
    refuse(connection, exchange, MHD_HTTP_UNAUTHORIZED, "sem token válido");
    return false;
  }
  request.query.erase("token");
  const std::string method = request.method == "HEAD" ? "GET" : request.method;
  if (!routes_.contains({request.path, method})) {
    const auto known = routes_.lower_bound({request.path, ""});
    const bool pathKnown = known != routes_.end() && known->first.first == request.path;
    refuse(connection, exchange, pathKnown ? MHD_HTTP_METHOD_NOT_ALLOWED : MHD_HTTP_NOT_FOUND,
           pathKnown ? "método não aceite" : "caminho desconhecido");
    return false;
  }
  const auto length = request.headers.find("content-length");
  if (length != request.headers.end() &&
      (length->second.size() > kMaxLengthDigits ||
       std::stoull("0" + length->second) > settings_.maxBodyBytes)) {
    refuse(connection, exchange, MHD_HTTP_CONTENT_TOO_LARGE, "corpo grande demais");
    return false;
  }
  return true;
}

bool HttpServer::handle(MHD_Connection* connection, Exchange& exchange, const char* upload,
                        std::size_t* uploadSize) {
  if (exchange.answered) {
    *uploadSize = 0;  // what follows a refusal is dropped as it comes
    return true;
  }
  if (*uploadSize != 0) {
    const std::size_t size = *uploadSize;
    *uploadSize = 0;
    if (exchange.tooLarge) {
      // The refusal waits for the end of the body; a client that will not stop is cut off.
      exchange.discarded += size;
      if (exchange.discarded <= kMaxDiscardedBytes) return true;
      log_.writeAboutPeer("HTTP " + exchange.request.peer + ": " +
                          printableQuote(exchange.request.path, kQuotedPathMax) +
                          " cortado, corpo sem fim");
      return false;
    }
    if (exchange.request.body.size() + size > settings_.maxBodyBytes) {
      exchange.tooLarge = true;
      exchange.request.body = {};
      return true;
    }
    exchange.request.body.append(upload, size);
    return true;
  }
  if (exchange.tooLarge) {
    refuse(connection, exchange, MHD_HTTP_CONTENT_TOO_LARGE, "corpo grande demais");
    return true;
  }
  HttpRequest& request = exchange.request;
  const auto type = request.headers.find("content-type");
  if (type != request.headers.end() && type->second.starts_with(kFormType) &&
      !decodeForm(request.body, request.query)) {
    refuse(connection, exchange, MHD_HTTP_BAD_REQUEST, "formulário mal codificado");
    return true;
  }
  if (const auto stream = streamOpenings_.find(request.path);
      stream != streamOpenings_.end() && request.method == "GET") {
    if (!streams_.open(connection, request.peer, stream->second())) {
      refuse(connection, exchange, MHD_HTTP_SERVICE_UNAVAILABLE, "demasiados fluxos de eventos");
    } else if (HttpLinks::Link* link = links_.find(connection)) {
      link->stream = true;
      link->deadline.reset();
    }
    return true;
  }
  if (HttpLinks::Link* link = links_.find(connection)) link->deadline.reset();  // it is whole
  const HttpResponse response = dispatch(exchange);
  // A handler's refusal is logged like the server's own, with the first words of its reason.
  if (response.status >= MHD_HTTP_BAD_REQUEST) {
    log_.writeAboutPeer("HTTP " + request.peer + ": " +
                        printableQuote(request.method, kQuotedPathMax) + " " +
                        printableQuote(exchange.target, kQuotedPathMax) + " recusado, " +
                        std::to_string(response.status) + " (" + reason(response.body) + ")");
  }
  answer(connection, request, response);
  return true;
}

HttpResponse HttpServer::dispatch(Exchange& exchange) {
  const HttpRequest& request = exchange.request;
  const std::string method = request.method == "HEAD" ? "GET" : request.method;
  return routes_.at({request.path, method})(request);
}

void HttpServer::refuse(MHD_Connection* connection, Exchange& exchange, int status,
                        std::string_view why, Then then) {
  const HttpRequest& request = exchange.request;
  log_.writeAboutPeer("HTTP " + request.peer + ": " +
                      printableQuote(request.method, kQuotedPathMax) + " " +
                      printableQuote(exchange.target, kQuotedPathMax) + " recusado, " +
                      std::to_string(status) + " (" + std::string(why) + ")");
  std::map<std::string, std::string> extra;
  // Basic too, so that a browser asks for the token (as the password) and a playout's HTTP
  // library that waits to be asked sends it.
  if (status == MHD_HTTP_UNAUTHORIZED) extra["WWW-Authenticate"] = "Bearer, Basic realm=\"orvane\"";
  if (then == Then::Close) extra["Connection"] = "close";
  if (status == MHD_HTTP_TOO_MANY_REQUESTS || status == MHD_HTTP_SERVICE_UNAVAILABLE) {
    extra["Retry-After"] = "1";
    // A client turned away for want of room must not keep its connection, and the room, open.
    extra["Connection"] = "close";
  }
  if (status == MHD_HTTP_METHOD_NOT_ALLOWED) {
    std::string allow;
    for (auto it = routes_.lower_bound({request.path, ""});
         it != routes_.end() && it->first.first == request.path; ++it) {
      allow += (allow.empty() ? "" : ", ") + it->first.second;
    }
    extra["Allow"] = allow;
  }
  HttpResponse response;
  response.status = status;
  response.body = std::string(why) + "\n";
  answer(connection, request, response, extra);
}

void HttpServer::answer(MHD_Connection* connection, const HttpRequest&,
                        const HttpResponse& response,
                        const std::map<std::string, std::string>& extraHeaders) {
  MHD_Response* reply = MHD_create_response_from_buffer(
      response.body.size(), const_cast<char*>(response.body.data()), MHD_RESPMEM_MUST_COPY);
  if (reply == nullptr) return;  // out of memory: the connection closes without an answer
  MHD_add_response_header(reply, MHD_HTTP_HEADER_CONTENT_TYPE, response.contentType.c_str());
  for (const auto& [name, value] : kProtectiveHeaders) MHD_add_response_header(reply, name, value);
  for (const auto& [name, value] : response.headers) {
    MHD_add_response_header(reply, name.c_str(), value.c_str());
  }
  for (const auto& [name, value] : extraHeaders) {
    MHD_add_response_header(reply, name.c_str(), value.c_str());
  }
  MHD_queue_response(connection, static_cast<unsigned>(response.status), reply);
  MHD_destroy_response(reply);
}

}  // namespace orvane
