#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "ConsoleState.h"

namespace orvane {

// Reads the console's text files as the workstation's C library did: in text mode, where CR LF
// arrives as a single LF, one line at a time into a 256-byte buffer. A line longer than 255
// bytes therefore arrives in several pieces, each handled by the readers as a line of its own.
// A bare LF ends a line too; a CR not followed by LF is an ordinary byte.
class LineReader {
 public:
  // Reads from bytes already in memory; they must outlive the reader.
  explicit LineReader(std::string_view bytes) : window_(bytes) {}
  // Reads from an open file, which the reader does not close. A read error ends the input like
  // the end of the file: a damaged disk gives the lines read so far and nothing else.
  explicit LineReader(std::FILE* file) : file_(file), block_(kBlockSize) {}

  // The next piece: at most 255 bytes, with its LF when it fits. It is valid until the next
  // call. A NUL byte ends the piece's text, as it did in the C strings the workstation kept its
  // lines in; the bytes after it still count for where the piece ends. Empty at the end.
  std::optional<std::string_view> next();

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  int get() {
    if (position_ == window_.size() && !refill()) return -1;
    return static_cast<unsigned char>(window_[position_++]);
  }
  bool refill();

  std::FILE* file_ = nullptr;
  bool ended_ = false;  // the file gave its last byte or an error; never ask it again
  std::vector<char> block_;
  std::string_view window_;
  std::size_t position_ = 0;
  std::array<char, kLineBufferSize> piece_{};
};

// A line's end without the bytes that, taken as signed 8-bit numbers, lie below `threshold`:
// line ends, blanks or control bytes, and every byte from 0x80 up, which the workstation's
// signed `char` made negative. Never goes before the first byte.
std::string_view trimLineEnd(std::string_view line, int threshold);

}  // namespace orvane
