#pragma once

#include <QObject>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

namespace orvane {

class CAsyncSocket;

// The user-interface thread's list of open sockets and of their notifications still to be
// delivered. Socket readiness is queued here and delivered later, oldest first, from the event
// loop; a notification opening a message box therefore lets later ones arrive while it waits.
//
// Sockets are known by a serial number, never reused, rather than by descriptor: the system
// hands a closed socket's descriptor straight to the next socket, and notifications still
// queued for the old one must never reach the new one.
class SocketRegistry {
 public:
  // Sets up delivery on the calling thread; false when that thread has no event dispatcher.
  static bool start();
  static SocketRegistry& instance();

  std::uint64_t add(CAsyncSocket& socket);
  // Forgets the socket and every notification still queued for it.
  void remove(std::uint64_t serial);
  void post(std::uint64_t serial, long event, int error);

 private:
  struct Pending {
    std::uint64_t serial;
    long event;
    int error;
  };

  SocketRegistry();
  void deliverPending();

  std::map<std::uint64_t, CAsyncSocket*> sockets_;
  std::deque<Pending> pending_;
  std::uint64_t nextSerial_ = 1;
  bool deliveryPosted_ = false;
  std::unique_ptr<QObject> sink_;  // receives the queued delivery calls
};

}  // namespace orvane
