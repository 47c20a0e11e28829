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

  // True while part of a line is waiting for its ending.
  [[nodiscard]] bool midLine() const { return !current_.empty() || discarding_; }

 private:
  void endLine(std::vector<Piece>& out);
  void takeRun(std::string_view run, std::vector<Piece>& out);

  Ending ending_;
  std::string current_;
  bool discarding_ = false;
  bool afterCarriageReturn_ = false;  // a line feed now only completes the CR LF ending
};

}  // namespace orvane
