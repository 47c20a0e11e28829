#include "LineReader.h"

namespace orvane {

bool LineReader::refill() {
  if (file_ == nullptr || ended_) return false;
  const std::size_t got = std::fread(block_.data(), 1, block_.size(), file_);
  window_ = std::string_view(block_.data(), got);
  position_ = 0;
  ended_ = got == 0;
  return !ended_;
}

std::optional<std::string_view> LineReader::next() {
  std::size_t length = 0;
  while (length < kLineCapacity) {
    int byte = get();
    if (byte < 0) break;
    if (byte == '\r') {
      const int after = get();
      if (after == '\n') {
        byte = '\n';
      } else if (after >= 0) {
        --position_;  // `get` just read it from the current window, so it is still there
      }
    }
    piece_[length++] = static_cast<char>(byte);
    if (byte == '\n') break;
  }
  if (length == 0) return std::nullopt;
  const std::string_view piece(piece_.data(), length);
  return piece.substr(0, piece.find('\0'));
}

std::string_view trimLineEnd(std::string_view line, int threshold) {
  while (!line.empty() && static_cast<signed char>(line.back()) < threshold) line.remove_suffix(1);
  return line;
}

}  // namespace orvane
