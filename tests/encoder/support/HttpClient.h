#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>

// A plain HTTP/1.1 client over loopback, one request per connection, for tests that must see
// exactly what went over the wire. `turn` runs while it waits, so that a server in the same
// process can be driven by the test's own loop.
namespace orvane::test {

struct HttpReply {
  int status = 0;  // 0: no answer
  std::string head;
  std::string body;
};

inline HttpReply parseReply(const std::string& raw) {
  HttpReply reply;
  const auto headEnd = raw.find("\r\n\r\n");
  if (raw.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos) return reply;
  reply.status = std::stoi(raw.substr(9, 3));
  reply.head = raw.substr(0, headEnd);
  reply.body = raw.substr(headEnd + 4);
  return reply;
}

// A socket bound to `from`, a loopback address (127.0.0.2 is "another machine" to the server).
inline int socketFrom(const char* from, int flags = 0) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
  sockaddr_in source{};
  source.sin_family = AF_INET;
  inet_pton(AF_INET, from, &source.sin_addr);
  bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source);
  return fd;
}

// Sends `request` as it is (so tests can send anything) and reads until the server closes.
inline HttpReply exchangeHttp(std::uint16_t port, const std::string& request,
                              const std::function<void()>& turn = {}, int patienceMs = 10000,
                              const char* from = "127.0.0.1") {
  const int fd = socketFrom(from);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string raw;
  if (connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) {
    std::size_t sent = 0;
    for (int waited = 0; waited < patienceMs; waited += 5) {
      if (sent < request.size()) {
        const ssize_t n =
            send(fd, request.data() + sent, request.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) sent += static_cast<std::size_t>(n);
      }
      if (turn) turn();
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 5) != 1) continue;
      char chunk[4096];
      const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
      if (got <= 0) break;
      raw.append(chunk, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  return parseReply(raw);
}

}  // namespace orvane::test
