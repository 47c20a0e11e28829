#pragma once

#include "CAsyncSocket.h"
#include "EncoderConnection.h"
#include "EncoderLink.h"

namespace orvane {

// The console's socket: the framework's asynchronous socket, seen by the console logic as its
// EncoderLink, with its notifications forwarded to the console's connection.
class CEncoderSocket : public CAsyncSocket, public EncoderLink {
 public:
  CEncoderSocket() = default;

  // Set once by the console's initialisation, before anything can connect.
  void setConsole(EncoderConnection& connection) { console_ = &connection; }

  bool create() override;
  bool connect(const std::string& host, unsigned port) override;
  long send(const char* data, std::size_t length) override;
  long receive(char* buffer, std::size_t capacity) override;
  void close() override;
  void setReceivePaused(bool paused) override;

 protected:
  void onReceive(int error) override;
  void onSend(int error) override;
  void onConnect(int error) override;
  void onClose(int error) override;

 private:
  EncoderConnection* console_ = nullptr;
};

}  // namespace orvane
