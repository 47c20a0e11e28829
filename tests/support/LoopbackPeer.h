#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

namespace orvane::test {

inline constexpr int kPatienceMs = 5000;

inline bool waitReadable(int fd, int ms = kPatienceMs) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, ms) == 1;
}

// The far end of the socket tests, on a free loopback port: listening, it takes connections and
// speaks on the latest; bound only, it holds a port nobody answers on.
struct LoopbackPeer {
  explicit LoopbackPeer(bool listening = true) {
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    if (listening) ::listen(listener, 4);
  }
  ~LoopbackPeer() {
    for (const int connection : connections) ::close(connection);
    ::close(listener);
  }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  bool accept() {
    const int connection =
        waitReadable(listener) ? ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    if (connection >= 0) connections.push_back(connection);
    return connection >= 0;
  }
  // What has arrived within `ms`, without waiting for more once something came.
  std::string received(int ms = 200) {
    std::string bytes;
    char chunk[4096];
    ssize_t got = 0;
    while (waitReadable(connections.back(), bytes.empty() ? ms : 20) &&
           (got = ::recv(connections.back(), chunk, sizeof chunk, 0)) > 0) {
      bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
  }
  void send(std::string_view bytes) {
    ssize_t sent = 0;
    while (!bytes.empty() &&
           (sent = ::send(connections.back(), bytes.data(), bytes.size(), MSG_NOSIGNAL)) > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
  }
  // Closes the latest connection; `reset` aborts it rather than closing it in order.
  void hangUp(bool reset = false) {
    if (connections.empty()) return;
    const linger abortive{1, 0};
    if (reset) ::setsockopt(connections.back(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::close(connections.back());
    connections.pop_back();
  }

  int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unsigned port = 0;
  std::vector<int> connections;
};

}  // namespace orvane::test
