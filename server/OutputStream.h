#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "FileDescriptor.h"

namespace orvane {

// Bytes on their way to a file or to standard output. Writing never blocks: a pipe or socket is
// switched to non-blocking mode (and back when done, since standard output may be shared), and
// what the reader has not taken yet waits here until the poll loop says there is room. So a
// slow reader slows the signal down but never the console's connection.
class OutputStream {
 public:
  // "-" is standard output; anything else a file, created or truncated. Empty, with `error`
  // filled in, when it cannot be opened.
  static std::optional<OutputStream> open(const std::string& path, std::string& error);

  OutputStream(OutputStream&& other) noexcept;
  OutputStream& operator=(OutputStream&&) = delete;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;
  ~OutputStream();

  void append(std::string_view bytes) { pending_.append(bytes); }
  [[nodiscard]] std::size_t pending() const { return pending_.size() - sent_; }

  // Writes what the descriptor takes now. False, with `error()` set, once writing has failed.
  bool flush();

  // Overwrites the start of a regular file, for headers whose sizes are known only later.
  // False when the output cannot seek: a pipe, or standard output on one.
  bool rewriteStart(std::string_view bytes);

  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] bool seekable() const { return seekable_; }
  [[nodiscard]] const std::string& error() const { return error_; }
  [[nodiscard]] const std::string& name() const { return name_; }

 private:
  OutputStream(int fd, FileDescriptor owned, std::string name);

  int fd_;
  FileDescriptor owned_;  // invalid for standard output, which is not ours to close
  std::string name_;
  bool seekable_ = false;
  std::optional<int> restoreFlags_;
  std::string pending_;
  std::size_t sent_ = 0;  // bytes at the front of pending_ already written
  std::string error_;
};

}  // namespace orvane
