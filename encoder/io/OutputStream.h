#pragma once

#include <cstddef>
#include <cstdint>
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
  // "-" is standard output; anything else a file, created when missing. A file that exists keeps
  // what it holds until startAfresh(), so that a run refused after opening it (the same file named
  // twice) loses nothing. A named pipe is waited for until it has a reader, or until `stopFd`
  // (when valid) becomes readable. Empty, with `error` filled in, when it cannot be opened.
  static std::optional<OutputStream> open(const std::string& path, std::string& error,
                                          int stopFd = -1);
  // A descriptor that stays open after us, such as standard error.
  static OutputStream borrow(int fd, std::string name);

  OutputStream(OutputStream&& other) noexcept;
  OutputStream& operator=(OutputStream&&) = delete;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;
  ~OutputStream();

  void append(std::string_view bytes);
  // Room for `bytes` more at the end of what waits, for a writer that makes its bytes in place
  // instead of copying them in; commit() says how many of them it filled. The room is valid until
  // the next call on this stream.
  [[nodiscard]] char* room(std::size_t bytes);
  void commit(std::size_t bytes) { end_ += bytes; }
  [[nodiscard]] std::size_t pending() const { return end_ - sent_; }

  // Writes what the descriptor takes now. False, with `error()` set, once writing has failed.
  bool flush();

  // Bytes written so far: after a failed write, exactly what reached the file.
  [[nodiscard]] std::uint64_t written() const { return written_; }
  // Bytes written but still in the system's pipe or socket, not yet taken by the reader.
  [[nodiscard]] std::size_t queued() const;

  // Overwrites the start of a regular file, for headers whose sizes are known only later.
  // False when the output cannot seek: a pipe, or standard output on one.
  bool rewriteStart(std::string_view bytes);
  // Cuts a regular file to `size` bytes, so that it holds no partial record.
  bool truncate(std::uint64_t size);

  // Once the run is accepted: empties a regular file opened by name, so the signal replaces what
  // it held. Standard output is left as the shell opened it (">>" appends on purpose).
  bool startAfresh();
  // When the run is refused: removes a file that open() created and nothing was written to.
  void withdraw();

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
  bool pipe_ = false;
  bool socket_ = false;
  bool created_ = false;  // open() made the file
  std::optional<int> restoreFlags_;
  // What waits is buffer_[sent_, end_). The buffer only grows, so that filling it in place never
  // pays for clearing it first.
  std::string buffer_;
  std::size_t end_ = 0;
  std::size_t sent_ = 0;
  std::uint64_t written_ = 0;
  std::string error_;
};

}  // namespace orvane
