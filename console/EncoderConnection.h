#pragma once

#include <string>

#include "CommandQueue.h"
#include "ConsoleState.h"
#include "ConsoleWindow.h"
#include "EncoderLink.h"

namespace orvane {

// The console's side of its one TCP connection: "Conectar", "Fechar", the socket's outcome and
// whatever the server sends back, which is shown to the operator as it came.
class EncoderConnection {
 public:
  // Text collected while a reply box is open, at most; beyond it the socket is left unread (the
  // server is held back by TCP) until the box is closed.
  static constexpr std::size_t kPendingReplyLimit = 16 * 1024;

  EncoderConnection(ConsoleState& state, ConsoleWindow& window, EncoderLink& link,
                    CommandQueue& queue)
      : state_(state), window_(window), link_(link), queue_(queue) {}

  // "Conectar": starts connecting to the address control's address and `serverPort`.
  void connect();
  // The outcome of the connect; 0 means connected.
  void connectComplete(int errorCode);
  // "Fechar", the server's close, a failed connect, leaving the program: drops unsent commands,
  // stops the rotation and closes the socket.
  void closeProcedure();
  // The server sent something.
  void receiveText();

 private:
  static constexpr unsigned kLastTcpPort = 65535;

  void showReplies(std::string text);

  ConsoleState& state_;
  ConsoleWindow& window_;
  EncoderLink& link_;
  CommandQueue& queue_;
  // A reply box is open. Text arriving meanwhile waits in `pendingReply_` and is shown, in order,
  // when the box closes, instead of stacking one nested box per chunk without end.
  bool replyBoxOpen_ = false;
  bool receivePaused_ = false;
  std::string pendingReply_;
};

}  // namespace orvane
