#include "Listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace orvane {
namespace {

sockaddr_in ipv4(const std::string& address, std::uint16_t port, bool& ok) {
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  ok = inet_pton(AF_INET, address.c_str(), &where.sin_addr) == 1;
  return where;
}

// The sockets API takes every address family through one generic pointer type.
sockaddr* generic(sockaddr_in& where) {
  return reinterpret_cast<sockaddr*>(&where);
}

constexpr int kKeepAliveIdleSeconds = 10;
constexpr int kKeepAliveIntervalSeconds = 5;
constexpr int kKeepAliveProbes = 3;
static_assert(kKeepAliveIdleSeconds + kKeepAliveProbes * kKeepAliveIntervalSeconds ==
              kDeadPeerSeconds);

void setOption(int socket, int level, int name, int value) {
  setsockopt(socket, level, name, &value, sizeof value);
}

}  // namespace

void detectDeadPeer(int socket) {
  setOption(socket, SOL_SOCKET, SO_KEEPALIVE, 1);
  setOption(socket, IPPROTO_TCP, TCP_KEEPIDLE, kKeepAliveIdleSeconds);
  setOption(socket, IPPROTO_TCP, TCP_KEEPINTVL, kKeepAliveIntervalSeconds);
  setOption(socket, IPPROTO_TCP, TCP_KEEPCNT, kKeepAliveProbes);
  // Without it, replies the peer never acknowledges are resent for a quarter of an hour, and
  // the keepalive probes wait for them.
  setOption(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, kDeadPeerSeconds * 1000);
}

FileDescriptor listenOn(const std::string& address, std::uint16_t port, std::string& error) {
  bool ok = false;
  sockaddr_in where = ipv4(address, port, ok);
  if (!ok) {
    error = "endereço IPv4 inválido: " + address;
    return {};
  }
  FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  const int yes = 1;
  // A restarted server must not wait for the old connections' TIME_WAIT to run out. The system's
  // largest backlog: in a burst of reconnecting clients, one that finds a short queue full is
  // left half-connected, sending into a socket nobody accepts, instead of being told it is busy.
  if (!socket.valid() ||
      setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
      bind(socket.get(), generic(where), sizeof where) != 0 ||
      listen(socket.get(), SOMAXCONN) != 0) {
    error = "não foi possível escutar em " + address + ":" + std::to_string(port) + ": " +
            std::strerror(errno);
    return {};
  }
  return socket;
}

FileDescriptor bindDatagrams(const std::string& address, std::uint16_t port, std::string& error) {
  bool ok = false;
  sockaddr_in where = ipv4(address, port, ok);
  if (!ok) {
    error = "endereço IPv4 inválido: " + address;
    return {};
  }
  FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socket.valid() || bind(socket.get(), generic(where), sizeof where) != 0) {
    error = "não foi possível receber UDP em " + address + ":" + std::to_string(port) + ": " +
            std::strerror(errno);
    return {};
  }
  return socket;
}

std::uint16_t localPort(int socket) {
  sockaddr_in where{};
  socklen_t size = sizeof where;
  if (getsockname(socket, generic(where), &size) != 0) return 0;
  return ntohs(where.sin_port);
}

std::string peerName(int socket) {
  sockaddr_in where{};
  socklen_t size = sizeof where;
  if (getpeername(socket, generic(where), &size) != 0) return "?";
  return addressName(where);
}

std::string addressName(const sockaddr_in& where) {
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &where.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(where.sin_port));
}

}  // namespace orvane
