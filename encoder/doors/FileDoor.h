#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "AutomationDesk.h"
#include "FileDescriptor.h"
#include "PollTask.h"

namespace orvane {

// A now-playing file that the playout rewrites at every song, watched with inotify through its
// folder, so that every way of writing it is seen: a new file renamed over it, the file
// truncated and written again, written in several pieces (read once the writer closes it, or
// once it has been quiet for kSettleMs), deleted and made again, the folder itself made again.
// Only a regular file of at most kMaxNowPlayingFileBytes, with no other name, is read; a FIFO
// put in its place, a symbolic link, a hard link or a file of noise is refused with a log line,
// and the air keeps what it has.
class FileDoor : public PollTask {
 public:
  using Clock = std::function<std::int64_t()>;  // monotonic microseconds

  static constexpr int kSettleMs = 300;
  static constexpr int kRetryMs = 1000;  // while the folder is missing

  FileDoor(std::string path, AutomationDesk& desk, AirLog& log, Clock clock = {});

  // Starts watching and reads what the file says now, if it is there. False with `error` when
  // inotify cannot be had.
  [[nodiscard]] bool open(std::string& error);

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  void watchFolder();
  void readEvents();
  void readFile();
  [[nodiscard]] std::int64_t now() const { return clock_(); }

  std::string path_;
  std::string folder_;
  std::string name_;
  AutomationDesk& desk_;
  AirLog& log_;
  Clock clock_;
  FileDescriptor inotify_;
  int watch_ = -1;
  std::optional<std::int64_t> settleAt_;  // a read waits for the writer to be quiet
  std::int64_t retryAt_ = 0;
  std::string last_;  // what was last read, so that rewriting the same song is not a new one
};

}  // namespace orvane
