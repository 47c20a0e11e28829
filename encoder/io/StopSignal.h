#pragma once

#include "FileDescriptor.h"

namespace orvane {

// Turns SIGINT and SIGTERM into a readable descriptor, so that the poll loop sees the request to
// stop like any other event and ends cleanly. Also ignores SIGPIPE and SIGXFSZ: a client that
// vanishes, or a file that reaches its size limit, must show up as a failed write, after which
// the outputs are completed, not end the server there and then. One instance per process.
class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // Readable once a stop signal arrived.
  [[nodiscard]] int fd() const { return read_.get(); }
  // True once a stop signal arrived; does not wait.
  [[nodiscard]] bool requested() const;
  [[nodiscard]] bool valid() const { return read_.valid() && write_.valid(); }

 private:
  FileDescriptor read_;
  FileDescriptor write_;
};

}  // namespace orvane
