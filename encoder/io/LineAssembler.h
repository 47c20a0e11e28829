#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Cuts the byte stream of one client into command lines. A line ends with a line feed; a carriage
// return just before it is dropped, for clients that send CRLF. Lines are bounded so that a client
// sending without end cannot make the server grow: once a line passes the bound it is reported
// once and everything up to its line feed is thrown away.
class LineAssembler {
 public:
  static constexpr std::size_t kMaxLineLength = 1024;  // bytes, without the line end

  struct Piece {
    enum class Kind { Line, Overlong };
    Kind kind;
    std::string text;  // the line's bytes, empty for Overlong
  };

  // Takes the next bytes as they came off the socket and returns what they completed, in order.
  [[nodiscard]] std::vector<Piece> feed(std::string_view bytes);

  // True while part of a line is waiting for its line feed.
  [[nodiscard]] bool midLine() const { return !current_.empty() || discarding_; }

 private:
  void endLine(std::vector<Piece>& out);

  std::string current_;
  bool discarding_ = false;
};

}  // namespace orvane
