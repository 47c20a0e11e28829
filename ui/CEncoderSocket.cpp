#include "CEncoderSocket.h"

#include <sys/socket.h>

#include <cerrno>

namespace orvane {

bool CEncoderSocket::create() {
  return CAsyncSocket::create(0, SOCK_STREAM, kAllEvents);
}

bool CEncoderSocket::connect(const std::string& host, unsigned port) {
  // The console waits for the connect-complete notification either way; it only needs to know
  // whether one will come.
  return CAsyncSocket::connect(host, port) || connectPending();
}

long CEncoderSocket::send(const char* data, std::size_t length) {
  return CAsyncSocket::send(data, length);
}

long CEncoderSocket::receive(char* buffer, std::size_t capacity) {
  return CAsyncSocket::receive(buffer, capacity);
}

void CEncoderSocket::close() {
  CAsyncSocket::close();
}

void CEncoderSocket::setReceivePaused(bool paused) {
  CAsyncSocket::asyncSelect(paused ? kAllEvents & ~kRead : kAllEvents);
}

void CEncoderSocket::onReceive(int error) {
  if (console_ != nullptr) console_->receiveText();
  CAsyncSocket::onReceive(error);
}

void CEncoderSocket::onSend(int error) {
  CAsyncSocket::onSend(error);
}

void CEncoderSocket::onConnect(int error) {
  if (console_ != nullptr) console_->connectComplete(error);
  CAsyncSocket::onConnect(error);
}

void CEncoderSocket::onClose(int error) {
  if (console_ != nullptr) console_->closeProcedure();
  CAsyncSocket::onClose(error);
}

}  // namespace orvane
