#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "OutputStream.h"
#include "PollTask.h"

namespace orvane {

struct WallClockTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

using WallClock = std::function<WallClockTime()>;

// The local time of day, as the operator's watch shows it.
WallClockTime localWallClock();

// The server's running account on standard output: what went on air and who came and went, one
// line each, stamped "YYYY-MM-DD HH:MM:SS". Lines go out at once when the reader takes them.
//
// Whoever reads the log must never hold the server up: it is written without blocking, and what
// the reader has not taken waits in a bounded buffer, beyond which lines are dropped and their
// number logged once there is room again. Lines that remote peers cause (connections, refusals)
// are limited in number as well, so that a flood of connections cannot flood the log; what was
// left out is counted and logged when the period is over. A task of the server's poll loop.
class AirLog : public PollTask {
 public:
  static constexpr std::size_t kMaxPendingBytes = 64 * 1024;
  static constexpr int kPeerLinesPerPeriod = 20;
  static constexpr std::int64_t kPeerPeriodMicros = 10'000'000;
  // At the end, how long the reader is given to take the last lines (also when the log goes).
  static constexpr int kFinishMs = 100;

  using MonotonicClock = std::function<std::int64_t()>;  // microseconds, any origin

  // `fd` is standard output or standard error, and stays open after the log.
  explicit AirLog(int fd, WallClock clock = localWallClock, MonotonicClock monotonic = {});
  ~AirLog() override;
  AirLog(const AirLog&) = delete;
  AirLog& operator=(const AirLog&) = delete;

  void write(std::string_view line);
  // Lines caused by one command share one time stamp.
  void write(const std::vector<std::string>& lines);
  // A line without a time stamp, for scripts that read it.
  void writeUnstamped(std::string_view line);
  // A line about a remote peer, within the limit.
  void writeAboutPeer(std::string_view line);
  // Lines whose making can wait: while a Hold lives they are made when it ends, in their place
  // among the others, so that formatting them holds up no frame to a peer; otherwise at once.
  void writeLater(std::function<std::vector<std::string>()> lines);

  // Stamped lines wait from here until `release()` (or the end), each with its own time, while
  // unstamped ones go ahead: a script reads the listening line first, whatever the start-up had
  // to report before the socket was open.
  void holdBack();
  void release();

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled = {}) override;

  // While one lives, lines wait in the buffer instead of going out one by one: a turn of the
  // server's loop sends what it owes peers first, and only then pays for the write, which wakes
  // the log's reader to compete for the CPU, and for the lines given to `writeLater`. Lines that
  // would not fit still go out at once.
  class Hold {
   public:
    explicit Hold(AirLog& log) : log_(log) { log_.held_ = true; }
    ~Hold() {
      log_.makeLater();  // still held: the turn's lines then go out in one write
      log_.held_ = false;
      log_.service();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    AirLog& log_;
  };

  // Logs what is still counted and `lastLine`, and gives the reader a moment to take them.
  void finish(std::string_view lastLine);

  // The last lines, for the status page, also those the reader was too slow to take.
  static constexpr std::size_t kRecentLines = 50;
  [[nodiscard]] const std::deque<std::string>& recent() const { return recent_; }
  // Lines made since the start, whether the reader took them or not: tells a watcher of
  // `recent()` how many are new.
  [[nodiscard]] std::uint64_t lineCount() const { return lineCount_; }
  [[nodiscard]] std::uint64_t droppedTotal() const { return droppedTotal_; }
  [[nodiscard]] std::uint64_t suppressedTotal() const { return suppressedTotal_; }

 private:
  void drain();
  void makeLater();
  void append(const std::string& line, std::size_t reserve);
  void noteLosses();
  [[nodiscard]] bool roomForReports() const;
  [[nodiscard]] bool periodOver() const;

  OutputStream out_;
  WallClock clock_;
  MonotonicClock monotonic_;
  std::uint64_t dropped_ = 0;     // lines lost to a full buffer, not yet reported
  std::int64_t periodStart_ = 0;  // of the current period of peer lines
  int peerLines_ = 0;             // peer lines logged in it
  std::uint64_t suppressed_ = 0;  // peer lines left out of it
  std::deque<std::string> recent_;
  std::vector<std::string> heldBack_;  // stamped lines, while holding back
  bool holding_ = false;
  std::uint64_t lineCount_ = 0;
  std::uint64_t droppedTotal_ = 0;
  std::uint64_t suppressedTotal_ = 0;
  bool held_ = false;
  // What a Hold put off, in order; while anything waits here, every line queues behind it. The
  // lines' own maker is kept as it came, not wrapped in another, which would allocate for it.
  struct Later {
    std::function<std::vector<std::string>()> lines;
    bool stamped;
  };
  std::vector<Later> later_;
  std::vector<Later> making_;  // what makeLater is running
};

}  // namespace orvane
