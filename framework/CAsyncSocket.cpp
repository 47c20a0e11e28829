#include "CAsyncSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "SocketRegistry.h"

namespace orvane {
namespace {

// A dotted quad is used as it is; anything else is looked up as a host name.
bool resolveHost(const std::string& host, in_addr& address) {
  if (inet_aton(host.c_str(), &address) != 0) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

sockaddr_in socketAddress(in_addr host, unsigned port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr = host;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

const sockaddr* asGeneric(const sockaddr_in& address) {
  return reinterpret_cast<const sockaddr*>(&address);
}

}  // namespace

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket() {
  close();
}

void CAsyncSocket::onReceive(int) {}
void CAsyncSocket::onSend(int) {}
void CAsyncSocket::onOutOfBandData(int) {}
void CAsyncSocket::onAccept(int) {}
void CAsyncSocket::onConnect(int) {}
void CAsyncSocket::onClose(int) {}

bool CAsyncSocket::fail(int error) {
  lastError_ = error;
  return false;
}

bool CAsyncSocket::create(unsigned port, int type, long events, const std::string& address) {
  close();
  if (type != SOCK_STREAM) return fail(ESOCKTNOSUPPORT);
  if (!SocketRegistry::start()) return fail(ENETDOWN);
  in_addr local{};
  local.s_addr = htonl(INADDR_ANY);
  if (!address.empty() && inet_aton(address.c_str(), &local) == 0) return fail(EINVAL);

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail(errno);
  fd_ = fd;
  events_ = events;
  serial_ = SocketRegistry::instance().add(*this);
  watch();

  const sockaddr_in bound = socketAddress(local, port);
  if (::bind(fd_, asGeneric(bound), sizeof bound) < 0) {
    const int error = errno;
    close();
    return fail(error);
  }
  lastError_ = 0;
  return true;
}

bool CAsyncSocket::connect(const std::string& host, unsigned port) {
  if (fd_ < 0) return fail(ENOTSOCK);
  in_addr remote{};
  if (!resolveHost(host, remote)) return fail(EINVAL);
  const sockaddr_in target = socketAddress(remote, port);
  if (::connect(fd_, asGeneric(target), sizeof target) == 0) {
    // Connected at once: the notification still comes, from the event loop, so a caller always
    // gets exactly one for an attempt that went on.
    connectPending_ = true;
    SocketRegistry::instance().post(serial_, kConnect, 0);
    noteConnected();
    lastError_ = 0;
    return true;
  }
  const int error = errno;
  if (error == EINPROGRESS) {
    connecting_ = true;
    connectPending_ = true;
    writeNotifier_->setEnabled(true);
  }
  return fail(error);
}

// Readiness is watched only while a notification can follow from it: reading once connected,
// writing while connecting or after a refused send.
void CAsyncSocket::watch() {
  readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
  exceptionNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Exception);
  for (QSocketNotifier* notifier :
       {readNotifier_.get(), writeNotifier_.get(), exceptionNotifier_.get()}) {
    notifier->setEnabled(false);
  }
  QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, [this] {
    readNotifier_->setEnabled(false);  // again after the next receive, as the platform does
    SocketRegistry::instance().post(serial_, kRead, 0);
  });
  QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, [this] { noteWritable(); });
  QObject::connect(exceptionNotifier_.get(), &QSocketNotifier::activated, [this] {
    exceptionNotifier_->setEnabled(false);
    SocketRegistry::instance().post(serial_, kOutOfBand, 0);
  });
}

// Writable means a connect has finished, or sending can go on after a full buffer.
void CAsyncSocket::noteWritable() {
  writeNotifier_->setEnabled(false);
  if (!connecting_) {
    SocketRegistry::instance().post(serial_, kWrite, 0);
    return;
  }
  connecting_ = false;
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) < 0) error = errno;
  SocketRegistry::instance().post(serial_, kConnect, error);
  if (error == 0) noteConnected();
}

void CAsyncSocket::noteConnected() {
  connected_ = true;
  SocketRegistry::instance().post(serial_, kWrite, 0);
  armRead();
  exceptionNotifier_->setEnabled(true);
}

void CAsyncSocket::asyncSelect(long events) {
  events_ = events;
  if ((events_ & kRead) != 0) armRead();
}

void CAsyncSocket::armRead() {
  if (connected_ && !peerClosed_ && readNotifier_) readNotifier_->setEnabled(true);
}

long CAsyncSocket::send(const void* data, std::size_t length, int flags) {
  if (fd_ < 0) {
    lastError_ = ENOTSOCK;
    return -1;
  }
  const ssize_t sent = ::send(fd_, data, length, flags | MSG_NOSIGNAL);
  if (sent < 0) {
    const int error = errno;
    // The platform reports when sending can go on again only after it was refused.
    if ((error == EAGAIN || error == EWOULDBLOCK) && connected_) writeNotifier_->setEnabled(true);
    lastError_ = error;
    return -1;
  }
  lastError_ = 0;
  return static_cast<long>(sent);
}

long CAsyncSocket::receive(void* buffer, std::size_t capacity, int flags) {
  if (fd_ < 0) {
    lastError_ = ENOTSOCK;
    return -1;
  }
  const ssize_t received = ::recv(fd_, buffer, capacity, flags);
  lastError_ = received < 0 ? errno : 0;
  armRead();
  if ((flags & MSG_OOB) != 0 && connected_) exceptionNotifier_->setEnabled(true);
  return static_cast<long>(received);
}

void CAsyncSocket::close() {
  if (fd_ < 0) return;
  // The notifiers go before the descriptor, which the system may hand out again at once.
  readNotifier_.reset();
  writeNotifier_.reset();
  exceptionNotifier_.reset();
  ::close(fd_);
  SocketRegistry::instance().remove(serial_);
  fd_ = -1;
  serial_ = 0;
  connecting_ = connected_ = connectPending_ = peerClosed_ = false;
}

void CAsyncSocket::deliver(long event, int error) {
  switch (event) {
    case kRead:
      return deliverRead();
    case kWrite:
      if (events_ & kWrite) onSend(error);
      return;
    case kOutOfBand:
      if (events_ & kOutOfBand) onOutOfBandData(error);
      return;
    case kConnect:
      connectPending_ = false;
      if (events_ & kConnect) onConnect(error);
      return;
    default:
      return;
  }
}

// Readable means bytes, the peer's close, a reset, or nothing any more: an earlier receive may
// have taken the bytes since. Only bytes (or a failed query) make a data-readable notification.
void CAsyncSocket::deliverRead() {
  int waiting = 0;
  if (::ioctl(fd_, FIONREAD, &waiting) < 0) {
    if (events_ & kRead) onReceive(errno);
    return;
  }
  char probe = 0;
  const ssize_t peeked = waiting > 0 ? 1 : ::recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
  if (peeked > 0) {
    if (events_ & kRead) onReceive(0);
    return;
  }
  const int error = peeked == 0 ? 0 : errno;
  if (error == EAGAIN || error == EWOULDBLOCK) {
    armRead();
    return;
  }
  peerClosed_ = true;
  if (events_ & kClose) onClose(error);
}

}  // namespace orvane
