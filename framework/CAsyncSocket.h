#pragma once

#include <sys/socket.h>

#include <QSocketNotifier>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvane {

// An IPv4 TCP client socket that never blocks the window: readiness arrives as notifications
// on the user-interface thread, delivered through the event loop. Derive from it and override
// the notifications you need; the base ones do nothing. Each takes an error code: 0, or the
// errno value of what went wrong.
//
//   socket.create();
//   socket.connect("127.0.0.1", 6969);  // false with lastError() EINPROGRESS: onConnect follows
//   ...onConnect(0)...  socket.send(line.data(), line.size());
//   ...onReceive(0)...  socket.receive(buffer, sizeof buffer);
//   socket.close();                     // nothing arrives for it afterwards
//
// Error codes are errno values; lastError() is that of the last call on this object.
class CAsyncSocket {
 public:
  // Network events, one bit each.
  static constexpr long kRead = 1;
  static constexpr long kWrite = 2;
  static constexpr long kOutOfBand = 4;
  static constexpr long kAccept = 8;
  static constexpr long kConnect = 16;
  static constexpr long kClose = 32;
  static constexpr long kAllEvents = 63;

  CAsyncSocket();
  virtual ~CAsyncSocket();  // closes an open socket
  CAsyncSocket(const CAsyncSocket&) = delete;
  CAsyncSocket& operator=(const CAsyncSocket&) = delete;

  // Opens a non-blocking socket of `type` (only SOCK_STREAM, TCP) with notifications for
  // `events`, bound to `address` (a dotted quad; empty for any) and `port` (0 for any). An open
  // socket is closed first. False with lastError() when any step fails; nothing follows.
  bool create(unsigned port = 0, int type = SOCK_STREAM, long events = kAllEvents,
              const std::string& address = {});
  // Starts connecting to `host` (a dotted quad, else a name to look up). True only when
  // connected at once; otherwise false, and lastError() says why: EINPROGRESS while the attempt
  // goes on, and then onConnect() reports the outcome. Any other error (a name that cannot be
  // looked up gives EINVAL, a refusal the system knows at once gives its own) means nothing
  // follows: check connectPending().
  bool connect(const std::string& host, unsigned port);
  // One send; the bytes taken (possibly fewer than `length`) or -1. A peer that is gone gives
  // -1, never a signal that would end the program.
  long send(const void* data, std::size_t length, int flags = 0);
  // One receive; the bytes placed in `buffer` (at most `capacity`), 0 when the peer closed in
  // order, or -1. Nothing is added after the data.
  long receive(void* buffer, std::size_t capacity, int flags = 0);
  // Closes the socket; no notification reaches this object for it afterwards, not even one
  // already queued. Does nothing without a socket. The object can be created again, also from
  // inside one of its own notifications.
  void close();

  // Changes the events this socket is notified of. Without kRead, bytes wait in the socket
  // unreported until kRead is asked for again; the peer's close is still reported once nothing
  // is left to read.
  void asyncSelect(long events);

  int lastError() const { return lastError_; }
  // True while an onConnect() notification is still to come for the last connect().
  bool connectPending() const { return connectPending_; }
  int handle() const { return fd_; }

 protected:
  virtual void onReceive(int error);  // bytes are waiting, or an error
  virtual void onSend(int error);     // sending can go on
  virtual void onOutOfBandData(int error);
  virtual void onAccept(int error);
  virtual void onConnect(int error);  // 0 connected, else why not
  virtual void onClose(int error);    // the peer closed (0) or reset the connection

 private:
  friend class SocketRegistry;
  void deliver(long event, int error);
  void deliverRead();
  void watch();
  void noteWritable();
  void noteConnected();
  void armRead();
  bool fail(int error);

  int fd_ = -1;
  std::uint64_t serial_ = 0;
  long events_ = 0;
  int lastError_ = 0;
  bool connecting_ = false;
  bool connected_ = false;
  bool connectPending_ = false;
  bool peerClosed_ = false;
  std::unique_ptr<QSocketNotifier> readNotifier_;
  std::unique_ptr<QSocketNotifier> writeNotifier_;
  std::unique_ptr<QSocketNotifier> exceptionNotifier_;
};

}  // namespace orvane
