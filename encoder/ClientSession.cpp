#include "ClientSession.h"

#include "CommandParser.h"
#include "Windows1252.h"

namespace orvane {

ClientSession::ClientSession(EncoderState& state, AirLog& log, bool echo)
    : state_(state), log_(log), echo_(echo) {}

[[gnu::hot]] std::string ClientSession::receive(std::string_view bytes) {
  std::string replies;
  assembler_.feed(bytes, [this, &replies](LineAssembler::Piece::Kind kind, std::string_view line) {
    if (kind == LineAssembler::Piece::Kind::Overlong) {
      const Refusal overlong{Refusal::Kind::InvalidValue,
                             "linha com mais de " + std::to_string(LineAssembler::kMaxLineLength) +
                                 " bytes, ignorada"};
      replies += windows1252FromUtf8(consoleRefusal(overlong)) + "\n";
    } else {
      replies += handleLine(line);
    }
  });
  return replies;
}

// An empty line carries no command and gets no reply: it is what a person testing by hand sends
// by pressing Enter once too often.
[[gnu::hot]] std::string ClientSession::handleLine(std::string_view line) {
  if (line.empty()) return {};
  ParseResult result = parseCommand(line);
  if (const auto* refusal = std::get_if<Refusal>(&result)) {
    return windows1252FromUtf8(consoleRefusal(*refusal)) + "\n";
  }
  // Described once the turn has sent the change to the peers, in its place in the log.
  if (auto change = state_.applyUndescribed(std::move(std::get<Command>(result)))) {
    airChanged_ = true;
    log_.writeLater([change = std::move(change)] { return change->describe(); });
  }
  return echo_ ? "OK: " + std::string(line) + "\n" : std::string{};
}

}  // namespace orvane
