#pragma once

#include <optional>
#include <string>

#include "FileDescriptor.h"

namespace orvane {

// Bytes coming in from a file or standard input, read without blocking once open, so that a
// source that has nothing yet holds up neither the console nor the other doors.
class InputStream {
 public:
  // "-" is standard input, anything else a file. Empty, with `error` filled in, when it cannot
  // be opened.
  static std::optional<InputStream> open(const std::string& path, std::string& error);

  enum class Read { Some, Nothing, Ended, Failed };
  // Appends what is there now, at most `most` bytes, to `into`.
  Read readInto(std::string& into, std::size_t most);
  // Blocks until `into` holds `bytes` or the input ends: for a file's header, read before the
  // poll loop runs.
  bool readAtLeast(std::string& into, std::size_t bytes);

  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] const std::string& name() const { return name_; }
  [[nodiscard]] const std::string& error() const { return error_; }

 private:
  InputStream(int fd, FileDescriptor owned, std::string name);

  int fd_;
  FileDescriptor owned_;  // invalid for standard input, which is not ours to close
  std::string name_;
  std::string error_;
};

}  // namespace orvane
