#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "AirLog.h"
#include "EncoderState.h"
#include "LineAssembler.h"

namespace orvane {

// One client's conversation, without the socket: bytes in, replies out, on-air changes into the
// log. A valid command is answered with nothing, because the console opens a message box for
// every reply; an invalid one with a single "ERRO:" line. With `echo`, every command is answered,
// so that the console's reply display can be tried out.
class ClientSession {
 public:
  ClientSession(EncoderState& state, AirLog& log, bool echo);

  // Handles the next bytes from the client. Returns the reply bytes to send, Windows-1252, each
  // line ended by a line feed; empty when there is nothing to say.
  [[nodiscard]] std::string receive(std::string_view bytes);

  // Whether the commands since the last ask changed what is on air; asking forgets it.
  [[nodiscard]] bool takeAirChanged() { return std::exchange(airChanged_, false); }

  // True when the client stopped in the middle of a line.
  [[nodiscard]] bool midLine() const { return assembler_.midLine(); }

 private:
  std::string handleLine(std::string_view line);

  LineAssembler assembler_;
  EncoderState& state_;
  AirLog& log_;
  bool echo_;
  bool airChanged_ = false;
};

}  // namespace orvane
