#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Cuts the byte stream of one client into command lines. By default a line ends with a line feed
// and a carriage return just before it is dropped, for clients that send CRLF: the console's own
// port, where a lone carriage return is part of the line. Playouts written for hardware encoders
// end lines with a carriage return alone, so their door also takes CR as an ending, and CR LF
// together as one. Lines are bounded so that a client sending without end cannot make the server
// grow: once a line passes the bound it is reported once and everything up to its ending is
// thrown away.
class LineAssembler {
 public:
  static constexpr std::size_t kMaxLineLength = 1024;  // bytes, without the line end

  enum class Ending { LineFeed, AnyOfCrLf };

  struct Piece {
    enum class Kind { Line, Overlong };
    Kind kind;
    std::string text;  // the line's bytes, empty for Overlong
  };

  explicit LineAssembler(Ending ending = Ending::LineFeed) : ending_(ending) {}

  // Takes the next bytes as they came off the socket and returns what they completed, in order.
  [[nodiscard]] std::vector<Piece> feed(std::string_view bytes);

  // As above, but hands each piece to `take(Piece::Kind, std::string_view line)` as it is
  // completed; the line's bytes last until `take` returns. A line that came whole in one read
  // is handed over where it lies, with no copy: a command is on its way to the air while this
  // runs.
  template <class Take>
  void feed(std::string_view bytes, Take&& take);

  // True while part of a line is waiting for its ending.
  [[nodiscard]] bool midLine() const { return !current_.empty() || discarding_; }

 private:
  [[nodiscard]] bool isEnding(char c) const {
    return c == '\n' || (c == '\r' && ending_ == Ending::AnyOfCrLf);
  }
  template <class Take>
  static void takeLine(std::string_view line, Take& take);

  Ending ending_;
  std::string current_;
  bool discarding_ = false;
  bool afterCarriageReturn_ = false;  // a line feed now only completes the CR LF ending
};

// One byte of room beyond the bound holds the carriage return that may still turn out to be part
// of a CRLF ending. Part of a line is kept up to the bound and one byte more, after which the
// line is reported once and the rest of it thrown away.
template <class Take>
[[gnu::hot]] void LineAssembler::feed(std::string_view bytes, Take&& take) {
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
      if (!discarding_) takeLine(current_, take);
      discarding_ = false;
      current_.clear();
      ++at;
      continue;
    }
    std::size_t runEnd = at + 1;
    while (runEnd < bytes.size() && !isEnding(bytes[runEnd])) ++runEnd;
    const std::string_view run = bytes.substr(at, runEnd - at);
    at = runEnd;
    if (discarding_) continue;
    if (current_.empty() && runEnd < bytes.size()) {
      afterCarriageReturn_ = bytes[runEnd] == '\r';
      ++at;
      takeLine(run, take);
    } else if (current_.size() + run.size() <= kMaxLineLength + 1) {
      current_.append(run);
    } else {
      current_.clear();
      discarding_ = true;
      take(Piece::Kind::Overlong, std::string_view{});
    }
  }
}

template <class Take>
[[gnu::hot]] void LineAssembler::takeLine(std::string_view line, Take& take) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > kMaxLineLength) {
    take(Piece::Kind::Overlong, std::string_view{});
  } else {
    take(Piece::Kind::Line, line);
  }
}

}  // namespace orvane
