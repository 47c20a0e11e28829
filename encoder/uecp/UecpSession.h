#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AirLog.h"
#include "EncoderState.h"
#include "UecpElement.h"
#include "UecpFrameDecoder.h"
#include "UecpTextMemory.h"

namespace orvane {

// One UECP client's conversation, without the socket: bytes in, answers out, on-air changes
// into the log marked with who made them. A frame is taken whole or not at all: every element
// is checked before any goes on air, so nothing of a frame with one bad element, or of a damaged
// frame, reaches a receiver; a known element this encoder does not apply is stepped over, and the
// frame answered "not acceptable". Frames for another site or encoder, damaged or not, are passed
// over in silence.
//
// Answers follow the client's communication mode: none unless asked (the default), the state of
// everything since the last answer when asked, or one answer to every frame.
class UecpSession {
 public:
  // `texts`, when given, keeps the texts the client sends as they came, for UECP peers.
  UecpSession(EncoderState& state, AirLog& log, UecpAddress own, std::string peer,
              UecpTextMemory* texts = nullptr);

  // Handles the next bytes and returns the frames to send back.
  [[nodiscard]] std::string receive(std::string_view bytes);

  [[nodiscard]] const std::string& peer() const { return peer_; }
  [[nodiscard]] std::size_t refused() const { return refused_; }
  [[nodiscard]] bool midFrame() const { return decoder_.midFrame(); }

 private:
  struct Outcome {
    UecpAnswer answer = UecpAnswer::Ok;
    bool asked = false;  // the frame asked for an answer
  };

  Outcome take(const UecpFrame& frame);
  void refuse(UecpAnswer answer);
  void skip(std::uint8_t code);
  void answer(const Outcome& outcome, std::uint8_t sequence, std::string& replies);

  EncoderState& state_;
  AirLog& log_;
  UecpAddress own_;
  std::string peer_;
  UecpTextMemory* texts_;
  UecpFrameDecoder decoder_;
  std::vector<UecpFrameDecoder::Event> events_;
  UecpMode mode_ = UecpMode::OneWay;
  std::optional<std::pair<UecpAnswer, std::uint8_t>> firstError_;  // since the last answer
  std::size_t refused_ = 0;
  std::bitset<256> skipLogged_;  // the elements this client was told are stepped over
};

}  // namespace orvane
