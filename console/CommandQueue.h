#pragma once

#include <string_view>

#include "ConsoleState.h"
#include "ConsoleWindow.h"
#include "EncoderLink.h"

namespace orvane {

// The paced send queue. Commands wait in `sendQueue`, each followed by the separator byte 0x1F,
// and the one-second tick sends exactly one of them per tick: that pacing is the only flow
// control towards the encoder server, which never acknowledges a command.
class CommandQueue {
 public:
  static constexpr char kSeparator = '\x1F';
  static constexpr char kLineFeed = '\n';

  CommandQueue(ConsoleState& state, ConsoleWindow& window, EncoderLink& link)
      : state_(state), window_(window), link_(link) {}

  // Formats the command into the line buffer and queues it with its separator.
  void append(std::string_view command);
  // Marks the console busy and lets the tick drain; restarts the rotation's dwell count.
  void startBatch();
  // Enables or disables the three "Actualizar" buttons together.
  void setUpdateButtons(bool enabled);
  // Sends one command with its line feed; what the socket reports is not looked at, since a
  // lost command is not retried.
  void sendLine(std::string_view command);
  // One tick's worth of draining: sends the first command, or leaves the busy state when the
  // queue was found empty.
  void drainStep();
  // Drops every command not yet sent.
  void clear() { state_.sendQueue.clear(); }

 private:
  ConsoleState& state_;
  ConsoleWindow& window_;
  EncoderLink& link_;
};

}  // namespace orvane
