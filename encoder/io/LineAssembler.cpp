#include "LineAssembler.h"

namespace orvane {

// One byte of room beyond the bound holds the carriage return that may still turn out to be part
// of a CRLF ending. The bytes between endings are taken a run at a time: a command is on its way
// to the air while this runs.
std::vector<LineAssembler::Piece> LineAssembler::feed(std::string_view bytes) {
  // A console sends a field and its ENCODE together: room for both at once.
  constexpr std::size_t kUsualPieces = 2;
  std::vector<Piece> out;
  out.reserve(kUsualPieces);
  const bool carriageReturnEnds = ending_ == Ending::AnyOfCrLf;
  const auto isEnding = [carriageReturnEnds](char c) {
    return c == '\n' || (c == '\r' && carriageReturnEnds);
  };
  for (std::size_t at = 0; at < bytes.size();) {
    const char c = bytes[at];
    const bool lineFeedOfCrLf = c == '\n' && afterCarriageReturn_;
    afterCarriageReturn_ = false;
    if (lineFeedOfCrLf) {
      ++at;
      continue;
    }
    if (isEnding(c)) {
      afterCarriageReturn_ = c == '\r';
      endLine(out);
      ++at;
      continue;
    }
    std::size_t runEnd = at + 1;
    while (runEnd < bytes.size() && !isEnding(bytes[runEnd])) ++runEnd;
    if (!discarding_) takeRun(bytes.substr(at, runEnd - at), out);
    at = runEnd;
  }
  return out;
}

// Part of a line: kept up to the bound and one byte more, after which the line is reported once
// and the rest of it thrown away.
void LineAssembler::takeRun(std::string_view run, std::vector<Piece>& out) {
  const std::size_t room = kMaxLineLength + 1 - current_.size();
  if (run.size() <= room) {
    current_.append(run);
    return;
  }
  current_.clear();
  discarding_ = true;
  out.push_back({Piece::Kind::Overlong, {}});
}

void LineAssembler::endLine(std::vector<Piece>& out) {
  if (discarding_) {
    discarding_ = false;
    return;
  }
  if (!current_.empty() && current_.back() == '\r') current_.pop_back();
  if (current_.size() > kMaxLineLength) {
    out.push_back({Piece::Kind::Overlong, {}});
  } else {
    out.push_back({Piece::Kind::Line, std::move(current_)});
  }
  current_.clear();
}

}  // namespace orvane
