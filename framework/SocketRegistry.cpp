#include "SocketRegistry.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <algorithm>

#include "CAsyncSocket.h"

namespace orvane {

SocketRegistry::SocketRegistry() : sink_(std::make_unique<QObject>()) {}

bool SocketRegistry::start() {
  if (QAbstractEventDispatcher::instance(QThread::currentThread()) == nullptr) return false;
  instance();
  return true;
}

// Never destroyed: a socket object may outlive static destruction order, and its destructor
// still has to find the registry.
SocketRegistry& SocketRegistry::instance() {
  static auto* registry = new SocketRegistry;
  return *registry;
}

std::uint64_t SocketRegistry::add(CAsyncSocket& socket) {
  const std::uint64_t serial = nextSerial_++;
  sockets_[serial] = &socket;
  return serial;
}

void SocketRegistry::remove(std::uint64_t serial) {
  sockets_.erase(serial);
  std::erase_if(pending_, [serial](const Pending& p) { return p.serial == serial; });
}

void SocketRegistry::post(std::uint64_t serial, long event, int error) {
  pending_.push_back({serial, event, error});
  if (deliveryPosted_) return;
  deliveryPosted_ = true;
  QMetaObject::invokeMethod(
      sink_.get(), [this] { deliverPending(); }, Qt::QueuedConnection);
}

// Each notification is taken off the queue before its handler runs, so a handler that waits in
// a nested event loop lets a later delivery carry on with the rest.
void SocketRegistry::deliverPending() {
  deliveryPosted_ = false;
  while (!pending_.empty()) {
    const Pending next = pending_.front();
    pending_.pop_front();
    const auto found = sockets_.find(next.serial);
    if (found != sockets_.end()) found->second->deliver(next.event, next.error);
  }
}

}  // namespace orvane
