#include "UecpSession.h"

#include "UecpApply.h"

namespace orvane {
namespace {

constexpr auto kMaxMode = static_cast<std::uint8_t>(UecpMode::AnswerEveryFrame);

UecpAnswer answerFor(UecpFrameDecoder::Fault fault) {
  switch (fault) {
    case UecpFrameDecoder::Fault::BadCrc:
      return UecpAnswer::BadCrc;
    case UecpFrameDecoder::Fault::BadStuffing:
      return UecpAnswer::BadStuffing;
    case UecpFrameDecoder::Fault::BadLength:
      return UecpAnswer::BadFieldLength;
    case UecpFrameDecoder::Fault::TooLong:
      return UecpAnswer::TooLong;
    case UecpFrameDecoder::Fault::Incomplete:
      break;
  }
  return UecpAnswer::Incomplete;
}

}  // namespace

UecpSession::UecpSession(EncoderState& state, AirLog& log, UecpAddress own, std::string peer,
                         UecpTextMemory* texts)
    : state_(state), log_(log), own_(own), peer_(std::move(peer)), texts_(texts) {}

std::string UecpSession::receive(std::string_view bytes) {
  std::string replies;
  events_.clear();
  decoder_.feed(bytes, events_);
  for (const auto& event : events_) {
    if (!event.isFrame) {
      // On a line shared by several encoders only the one a damaged frame was for may answer it;
      // one whose address did not even come cannot be told to be ours.
      if (!event.address || !own_.accepts(*event.address)) continue;
      refuse(answerFor(event.fault));
      answer({answerFor(event.fault), false}, event.sequence, replies);
    } else if (own_.accepts(event.frame.address)) {
      answer(take(event.frame), event.frame.sequence, replies);
    }
  }
  return replies;
}

// Checked whole on a copy of the state, then put on air at once, so that the elements of one
// frame reach receivers together.
UecpSession::Outcome UecpSession::take(const UecpFrame& frame) {
  Outcome outcome;
  const UecpElements split = splitUecpMessage(frame.message);
  outcome.answer = split.answer;
  OnAirState next = state_.onAir();
  AssignedFields fields;
  std::optional<UecpMode> mode;
  for (std::string_view element : split.elements) {
    if (outcome.answer != UecpAnswer::Ok) break;
    switch (static_cast<UecpCode>(element[0])) {
      case UecpCode::Request:
        outcome.asked =
            element.size() > 2 && static_cast<UecpCode>(element[2]) == UecpCode::Acknowledgement;
        if (!outcome.asked) outcome.answer = UecpAnswer::UnknownElement;
        break;
      case UecpCode::CommunicationMode:
        if (static_cast<std::uint8_t>(element[1]) > kMaxMode) {
          outcome.answer = UecpAnswer::OutOfRange;
        } else {
          mode = static_cast<UecpMode>(element[1]);
        }
        break;
      case UecpCode::Acknowledgement:
        break;  // a client's answer to us needs nothing
      default:
        outcome.answer = applyUecpElement(element, next, fields);
        break;
    }
  }
  if (outcome.answer != UecpAnswer::Ok) {
    refuse(outcome.answer);
    return outcome;
  }
  if (mode) mode_ = *mode;
  std::vector<std::string> lines = state_.replaceOnAir(next, fields);
  for (std::string& line : lines) line += " (UECP " + peer_ + ")";
  log_.write(lines);
  for (std::string_view element : split.elements) {
    if (const auto text = uecpElementText(element); text && texts_ != nullptr) {
      texts_->remember(*text);
    }
  }
  for (std::uint8_t code : split.skipped) skip(code);
  if (!split.skipped.empty()) outcome.answer = UecpAnswer::NotAcceptable;
  return outcome;
}

// Playout systems send what their encoders know in one frame; what Orvane does not carry is
// stepped over so that the rest goes on air, and said once per client, since it comes again with
// every song.
void UecpSession::skip(std::uint8_t code) {
  if (skipLogged_.test(code)) return;
  skipLogged_.set(code);
  log_.writeAboutPeer("UECP " + peer_ + ": " + uecpElementName(code) + " não suportado, ignorado");
}

// The first refusal is logged; the rest are counted and reported when the client leaves, so that
// a stream of noise cannot flood the log.
void UecpSession::refuse(UecpAnswer answer) {
  if (refused_++ == 0)
    log_.writeAboutPeer("UECP " + peer_ + ": trama recusada, " +
                        uecpAnswerName(static_cast<std::uint8_t>(answer)));
}

void UecpSession::answer(const Outcome& outcome, std::uint8_t sequence, std::string& replies) {
  if (outcome.answer != UecpAnswer::Ok && !firstError_) {
    firstError_ = std::pair(outcome.answer, sequence);
  }
  if (mode_ != UecpMode::AnswerEveryFrame && !outcome.asked) return;
  UecpFrame reply;
  reply.address = own_;
  reply.sequence = sequence;
  if (mode_ == UecpMode::AnswerEveryFrame) {
    reply.message = uecpAcknowledgement(outcome.answer, sequence);
  } else {
    reply.message = firstError_ ? uecpAcknowledgement(firstError_->first, firstError_->second)
                                : uecpAcknowledgement(UecpAnswer::Ok, 0);
  }
  firstError_.reset();
  appendUecpFrame(replies, reply);
}

}  // namespace orvane
