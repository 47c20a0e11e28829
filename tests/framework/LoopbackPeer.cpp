#include "LoopbackPeer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace orvane::test {
namespace {

// A socket bound to a free loopback port, and that port.
int boundSocket(unsigned& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

bool waitReadable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 5000) == 1;
}

void PeerConnection::send(const std::string& bytes) {
  ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string PeerConnection::receive(std::size_t expected) {
  std::string received;
  char buffer[4096];
  while (received.size() < expected && waitReadable(fd_)) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  return received;
}

void PeerConnection::close() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

void PeerConnection::reset() {
  const linger abortive{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  close();
}

LoopbackListener::LoopbackListener() {
  fd = boundSocket(port);
  ::listen(fd, 4);
}

LoopbackListener::~LoopbackListener() {
  ::close(fd);
}

PeerConnection LoopbackListener::accept() {
  if (!waitReadable(fd)) return PeerConnection{};
  return PeerConnection{::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)};
}

unsigned closedLoopbackPort() {
  unsigned port = 0;
  ::close(boundSocket(port));
  return port;
}

}  // namespace orvane::test
