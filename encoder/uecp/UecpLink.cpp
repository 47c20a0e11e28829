#include "UecpLink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>

#include <cerrno>
#include <cstring>

#include "Listener.h"

namespace orvane {
namespace {

speed_t speedOf(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B9600;
  }
}

// The sockets API takes every address family through one generic pointer type.
const sockaddr* generic(const sockaddr_in& where) {
  return reinterpret_cast<const sockaddr*>(&where);
}

}  // namespace

// Small frames matter more than full packets here: an ENCODE should reach the peer at once.
FileDescriptor startConnect(const sockaddr_in& to, std::string& error) {
  FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  const int yes = 1;
  if (!socket.valid() ||
      setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes) != 0) {
    error = std::strerror(errno);
    return {};
  }
  detectDeadPeer(socket.get());
  if (connect(socket.get(), generic(to), sizeof to) != 0 && errno != EINPROGRESS) {
    error = std::strerror(errno);
    return {};
  }
  return socket;
}

FileDescriptor openDatagramLink(const sockaddr_in& to, std::string& error) {
  FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socket.valid() || connect(socket.get(), generic(to), sizeof to) != 0) {
    error = std::strerror(errno);
    return {};
  }
  return socket;
}

std::string connectOutcome(int socket) {
  int failure = 0;
  socklen_t size = sizeof failure;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &failure, &size) != 0) failure = errno;
  return failure == 0 ? std::string{} : std::strerror(failure);
}

FileDescriptor openSerialLine(const std::string& device, int baud, std::string& error) {
  FileDescriptor line(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  termios settings{};
  if (!line.valid() || tcgetattr(line.get(), &settings) != 0) {
    error = std::strerror(errno);
    return {};
  }
  cfmakeraw(&settings);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  if (cfsetspeed(&settings, speedOf(baud)) != 0 || tcsetattr(line.get(), TCSANOW, &settings) != 0) {
    error = std::strerror(errno);
    return {};
  }
  return line;
}

std::size_t bytesInFlight(int fd) {
  int queued = 0;
  if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued < 0) return 0;
  return static_cast<std::size_t>(queued);
}

}  // namespace orvane
