#include "LineAssembler.h"

namespace orvane {

// One byte of room beyond the bound holds the carriage return that may still turn out to be part
// of a CRLF ending.
std::vector<LineAssembler::Piece> LineAssembler::feed(std::string_view bytes) {
  std::vector<Piece> out;
  for (char c : bytes) {
    const bool lineFeedOfCrLf = c == '\n' && afterCarriageReturn_;
    afterCarriageReturn_ = false;
    if (lineFeedOfCrLf) continue;
    if (c == '\n' || (c == '\r' && ending_ == Ending::AnyOfCrLf)) {
      afterCarriageReturn_ = c == '\r';
      endLine(out);
    } else if (discarding_) {
      continue;
    } else if (current_.size() == kMaxLineLength + 1) {
      current_.clear();
      discarding_ = true;
      out.push_back({Piece::Kind::Overlong, {}});
    } else {
      current_.push_back(c);
    }
  }
  return out;
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
