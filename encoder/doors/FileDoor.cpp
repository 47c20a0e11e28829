#include "FileDoor.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

#include "NowPlayingFile.h"
#include "SystemClock.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_MODIFY |
                                        IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::size_t kEventBuffer = 4096;

int millisUntil(std::int64_t at, std::int64_t now) {
  const std::int64_t left = std::max<std::int64_t>(0, at - now);
  return static_cast<int>(
      std::min<std::int64_t>(INT_MAX, (left + kMicrosPerMilli - 1) / kMicrosPerMilli));
}

}  // namespace

FileDoor::FileDoor(std::string path, AutomationDesk& desk, AirLog& log, Clock clock)
    : path_(std::move(path)),
      desk_(desk),
      log_(log),
      clock_(clock ? std::move(clock) : Clock(monotonicMicros)) {
  const auto slash = path_.rfind('/');
  folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
  name_ = slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

bool FileDoor::open(std::string& error) {
  inotify_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!inotify_.valid()) {
    error = std::string("inotify indisponível: ") + std::strerror(errno);
    return false;
  }
  if (name_.empty()) {
    error = "--now-playing: falta o nome do ficheiro em " + path_;
    return false;
  }
  watchFolder();
  // What the file says now is read on the loop's first turn, after the server says it listens.
  settleAt_ = now();
  return true;
}

void FileDoor::watchFolder() {
  watch_ = inotify_add_watch(inotify_.get(), folder_.c_str(), kFolderEvents);
  if (watch_ < 0) retryAt_ = now() + kRetryMs * kMicrosPerMilli;
}

PollTask::Wait FileDoor::wait() {
  Wait wait;
  wait.fds.push_back({inotify_.get(), POLLIN, 0});
  if (settleAt_) wait.timeoutMs = millisUntil(*settleAt_, now());
  if (watch_ < 0) {
    const int retry = millisUntil(retryAt_, now());
    wait.timeoutMs = wait.timeoutMs < 0 ? retry : std::min(wait.timeoutMs, retry);
  }
  return wait;
}

bool FileDoor::service(std::span<const pollfd> polled) {
  if (!polled.empty() && polled[0].revents != 0) readEvents();
  if (watch_ < 0 && now() >= retryAt_) {
    watchFolder();
    if (watch_ >= 0) readFile();  // the folder came back, perhaps with the file in it
  }
  if (settleAt_ && now() >= *settleAt_) readFile();
  return true;
}

void FileDoor::readEvents() {
  alignas(inotify_event) std::array<char, kEventBuffer> buffer;
  for (;;) {
    const ssize_t got = read(inotify_.get(), buffer.data(), buffer.size());
    if (got <= 0) return;
    for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + at, sizeof event);
      const char* name = buffer.data() + at + sizeof event;
      at += sizeof event + event.len;
      if ((event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0 && event.wd == watch_) {
        // The folder went: watch it again once it is back.
        inotify_rm_watch(inotify_.get(), watch_);
        watch_ = -1;
        retryAt_ = now() + kRetryMs * kMicrosPerMilli;
        continue;
      }
      if (event.len == 0 || name_ != std::string_view(name, strnlen(name, event.len))) continue;
      if ((event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0) {
        readFile();
      } else {
        settleAt_ = now() + kSettleMs * kMicrosPerMilli;
      }
    }
  }
}

void FileDoor::readFile() {
  settleAt_.reset();
  // Whoever may write into the folder could put a link there to any file the encoder can read;
  // the name is opened without following one, and what was opened is what is checked, so
  // nothing can be swapped in between the check and the read.
  FileDescriptor file(
      ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
  if (!file.valid()) {
    if (errno == ELOOP) {
      log_.writeAboutPeer("Ficheiro " + path_ + ": é uma ligação simbólica, recusado");
    } else if (errno != ENOENT) {
      log_.writeAboutPeer("Ficheiro " + path_ + ": " + std::strerror(errno));
    }
    return;
  }
  struct stat info {};
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    log_.writeAboutPeer("Ficheiro " + path_ + ": não é um ficheiro normal, ignorado");
    return;
  }
  // A second name of a file kept elsewhere is the link's trick done with `ln` alone.
  if (info.st_nlink > 1) {
    log_.writeAboutPeer("Ficheiro " + path_ + ": tem outro nome noutro sítio, recusado");
    return;
  }
  std::string bytes(kMaxNowPlayingFileBytes + 1, '\0');
  std::size_t have = 0;
  for (ssize_t got = 1; got > 0 && have < bytes.size(); have += static_cast<std::size_t>(got)) {
    got = read(file.get(), bytes.data() + have, bytes.size() - have);
    if (got < 0) got = 0;
  }
  bytes.resize(have);
  // Empty is the moment between a truncation and the new song, not a song.
  if (bytes.empty() || bytes == last_) return;
  last_ = bytes;
  const auto song = readNowPlayingFile(bytes);
  if (const auto* error = std::get_if<std::string>(&song)) {
    log_.writeAboutPeer("Ficheiro " + path_ + ": " + *error + ", ignorado");
    return;
  }
  const auto outcome = desk_.song(std::get<NowPlaying>(song), "ficheiro");
  if (outcome.kind == AutomationDesk::Outcome::Kind::Refused) {
    log_.writeAboutPeer("Ficheiro " + path_ + ": " + outcome.refusal.text + ", ignorado");
  }
}

}  // namespace orvane
