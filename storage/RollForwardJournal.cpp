#include "RollForwardJournal.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>

#include "LinkTarget.h"

namespace orvane {
namespace {

constexpr std::size_t kCopyBlock = 64 * 1024;

// The bytes the two locks stand on; they need not lie inside the file.
constexpr off_t kSaveLockByte = 0;
constexpr off_t kCopyLockByte = 1;

// False only when someone else holds the lock. A filesystem that keeps no locks counts as
// locked: a save there goes on as it did before there were locks.
bool lockByte(int fd, off_t byte, short type, bool wait) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  while (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) != 0) {
    if (errno == EAGAIN || errno == EACCES) return false;
    if (errno != EINTR) return true;
  }
  return true;
}

void unlockByte(int fd, off_t byte) {
  (void)lockByte(fd, byte, F_UNLCK, false);
}

// A journal is a plain file; anything else under its name (a link planted by another user of
// the folder, a FIFO) is not taken for one.
bool journalExists(const std::filesystem::path& journal) {
  struct stat status {};
  return ::lstat(journal.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The journal's renames and its removal reach the disk before the next step counts on them.
void syncFolderOf(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

bool writeAllAt(int fd, const char* bytes, std::size_t count, off_t at) {
  while (count > 0) {
    const ssize_t done = ::pwrite(fd, bytes, count, at);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    at += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

// Overwrites the file open as `to` with the whole of `from`, cuts off what is left of a longer
// old version and flushes it.
bool copyInPlace(int from, int to) {
  struct stat source {};
  if (::fstat(from, &source) != 0 || !reserveRoom(to, static_cast<std::uintmax_t>(source.st_size)))
    return false;
  std::array<char, kCopyBlock> block{};
  off_t at = 0;
  for (;;) {
    const ssize_t got = ::pread(from, block.data(), block.size(), at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    if (!writeAllAt(to, block.data(), static_cast<std::size_t>(got), at)) return false;
    at += got;
  }
  return at == source.st_size && ::ftruncate(to, at) == 0 && ::fsync(to) == 0;
}

// A reader that may write the file finishes a journal whose save died; one held by a save that
// still runs is left to it.
void finishLeftJournal(const std::filesystem::path& target) {
  struct stat status {};
  if (::stat(target.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      lockByte(fd, kSaveLockByte, F_WRLCK, false)) {
    (void)rollForward(target, fd);
  }
  ::close(fd);
}

FileHandle openJournal(const std::filesystem::path& journal) {
  return journalExists(journal) ? openForReading(journal) : FileHandle{};
}

}  // namespace

std::filesystem::path journalOf(const std::filesystem::path& target) {
  std::filesystem::path journal = target;
  journal.replace_filename("." + target.filename().string() + ".journal");
  return journal;
}

bool reserveRoom(int fd, std::uintmax_t size) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size > limit.rlim_cur) {
    return false;
  }
  if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) {
    return true;
  }
  return errno != ENOSPC && errno != EDQUOT && errno != EFBIG;
}

void waitForSaveLock(int fd) {
  (void)lockByte(fd, kSaveLockByte, F_WRLCK, true);
}

void waitForCopyLock(int fd) {
  (void)lockByte(fd, kCopyLockByte, F_WRLCK, true);
}

bool rollForward(const std::filesystem::path& target, int fd) {
  const std::filesystem::path journal = journalOf(target);
  const int source = ::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (source < 0) return errno == ENOENT;
  struct stat status {};
  bool done = ::fstat(source, &status) == 0 && S_ISREG(status.st_mode);
  if (done) waitForCopyLock(fd);
  done = done && copyInPlace(source, fd) && ::unlink(journal.c_str()) == 0;
  unlockByte(fd, kCopyLockByte);
  ::close(source);
  if (done) syncFolderOf(journal);
  return done;
}

bool publishJournal(const std::filesystem::path& draft, const std::filesystem::path& target) {
  const std::filesystem::path journal = journalOf(target);
  if (::rename(draft.c_str(), journal.c_str()) != 0) return false;
  syncFolderOf(journal);
  return true;
}

FileHandle openCurrentVersion(const std::filesystem::path& path) {
  const std::optional<std::filesystem::path> target = followLinks(path);
  if (!target) return {};
  const std::filesystem::path journal = journalOf(*target);
  if (journalExists(journal)) finishLeftJournal(*target);
  if (FileHandle whole = openJournal(journal)) return whole;
  FileHandle file = openForReading(*target);
  // The shared copy lock, held until the file is closed, keeps a save from overwriting it
  // while it is read.
  if (!file || lockByte(::fileno(file.get()), kCopyLockByte, F_RDLCK, false)) return file;
  if (FileHandle whole = openJournal(journal)) return whole;
  // Overwritten without a journal (its folder takes no new file): the read waits for the end.
  (void)lockByte(::fileno(file.get()), kCopyLockByte, F_RDLCK, true);
  return file;
}

}  // namespace orvane
