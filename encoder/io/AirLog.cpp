#include "AirLog.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <utility>

#include "FixedDigits.h"
#include "SystemClock.h"

namespace orvane {
namespace {

// Room kept for the line that reports lost ones, so that it always fits.
constexpr std::size_t kReportRoom = 256;
constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;

std::string stamp(const WallClockTime& t) {
  return decimalDigits(t.year, 4) + '-' + decimalDigits(t.month, 2) + '-' +
         decimalDigits(t.day, 2) + ' ' + decimalDigits(t.hour, 2) + ':' +
         decimalDigits(t.minute, 2) + ':' + decimalDigits(t.second, 2);
}

}  // namespace

WallClockTime localWallClock() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

AirLog::AirLog(int fd, WallClock clock, MonotonicClock monotonic)
    : out_(OutputStream::borrow(fd, "registo")),
      clock_(std::move(clock)),
      monotonic_(monotonic ? std::move(monotonic) : monotonicMicros),
      periodStart_(monotonic_()) {}

AirLog::~AirLog() {
  makeLater();
  release();
  drain();
}

void AirLog::write(std::string_view line) {
  write(std::vector<std::string>{std::string(line)});
}

void AirLog::write(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  if (!later_.empty()) {
    later_.push_back({[lines] { return lines; }, true});
    return;
  }
  const std::string when = stamp(clock_());
  for (const auto& line : lines) {
    if (holding_) {
      heldBack_.push_back(when + "  " + line + "\n");
    } else {
      append(when + "  " + line + "\n", kReportRoom);
    }
  }
}

[[gnu::hot]] void AirLog::writeLater(std::function<std::vector<std::string>()> lines) {
  if (held_) {
    later_.push_back({std::move(lines), true});
  } else {
    write(lines());
  }
}

// Swapped rather than moved out, so that both keep their room and a turn that puts lines off
// does not allocate for it: a command's frame goes out in that turn.
void AirLog::makeLater() {
  making_.swap(later_);
  for (const auto& step : making_) {
    if (step.stamped) {
      write(step.lines());
    } else {
      for (const auto& line : step.lines()) writeUnstamped(line);
    }
  }
  making_.clear();
}

void AirLog::holdBack() {
  holding_ = true;
}

void AirLog::release() {
  holding_ = false;
  for (const auto& line : std::exchange(heldBack_, {})) append(line, kReportRoom);
}

void AirLog::writeUnstamped(std::string_view line) {
  if (!later_.empty()) {
    later_.push_back(
        {[text = std::string(line)] { return std::vector<std::string>{text}; }, false});
    return;
  }
  append(std::string(line) + "\n", kReportRoom);
}

void AirLog::writeAboutPeer(std::string_view line) {
  if (periodOver()) noteLosses();
  if (peerLines_ >= kPeerLinesPerPeriod) {
    ++suppressed_;
    ++suppressedTotal_;
    return;
  }
  ++peerLines_;
  write(line);
}

PollTask::Wait AirLog::wait() {
  Wait wait;
  if (out_.pending() > 0 && out_.error().empty()) wait.fds.push_back({out_.fd(), POLLOUT, 0});
  if (suppressed_ > 0 && roomForReports()) {
    const std::int64_t left = periodStart_ + kPeerPeriodMicros - monotonic_();
    wait.timeoutMs = static_cast<int>(std::max<std::int64_t>(0, left) / kMicrosPerMilli + 1);
  }
  return wait;
}

// Writing is tried whatever poll found: the stream says itself when it can take no more.
[[gnu::hot]] bool AirLog::service(std::span<const pollfd>) {
  if (held_) return true;
  makeLater();
  out_.flush();
  if (dropped_ > 0 || periodOver()) noteLosses();
  return true;
}

void AirLog::finish(std::string_view lastLine) {
  makeLater();
  release();
  periodStart_ -= kPeerPeriodMicros;  // the last period ends here
  noteLosses();
  write(lastLine);
  drain();
}

void AirLog::drain() {
  const std::int64_t deadline = monotonic_() + kFinishMs * kMicrosPerMilli;
  for (std::int64_t left = kFinishMs * kMicrosPerMilli;
       out_.flush() && out_.pending() > 0 && left > 0; left = deadline - monotonic_()) {
    pollfd room{out_.fd(), POLLOUT, 0};
    poll(&room, 1, static_cast<int>(left / kMicrosPerMilli + 1));
  }
}

// Every line but the reports of losses leaves room for those, so that they always fit.
void AirLog::append(const std::string& line, std::size_t reserve) {
  if (!held_) out_.flush();
  if (reserve > 0 && dropped_ > 0) noteLosses();
  ++lineCount_;
  recent_.emplace_back(line, 0, line.size() - 1);  // without its line feed
  if (recent_.size() > kRecentLines) recent_.pop_front();
  const auto fits = [&] { return out_.pending() + line.size() + reserve <= kMaxPendingBytes; };
  if (!fits() && held_) out_.flush();
  if (!fits()) {
    ++dropped_;
    ++droppedTotal_;
    return;
  }
  out_.append(line);
  if (!held_) out_.flush();
}

// Reports lines dropped for want of room, and peer lines left out once their period is over,
// as soon as there is room for the reports.
void AirLog::noteLosses() {
  if (!roomForReports()) return;
  const std::string when = stamp(clock_());
  if (dropped_ > 0) {
    append(when + "  Registo: perdidas " + std::to_string(std::exchange(dropped_, 0)) +
               " linhas, a saída não as levava\n",
           0);
  }
  if (!periodOver()) return;
  if (suppressed_ > 0) {
    append(when + "  Registo: omitidas " + std::to_string(std::exchange(suppressed_, 0)) +
               " linhas sobre ligações (mais de " + std::to_string(kPeerLinesPerPeriod) + " em " +
               std::to_string(kPeerPeriodMicros / kMicrosPerSecond) + " s)\n",
           0);
  }
  periodStart_ = monotonic_();
  peerLines_ = 0;
}

bool AirLog::roomForReports() const {
  return out_.pending() + kReportRoom <= kMaxPendingBytes;
}

bool AirLog::periodOver() const {
  return monotonic_() - periodStart_ >= kPeerPeriodMicros;
}

}  // namespace orvane
