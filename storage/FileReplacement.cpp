#include "FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

#include "LinkTarget.h"
#include "RollForwardJournal.h"
#include "SaveTemporary.h"

namespace orvane {
namespace {

// The name is already the end of any link chain; a link put there since is not followed.
constexpr int kWriteFlags = O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
constexpr mode_t kNewFileMode = 0666;  // less the umask, like any new file
// Saves that each replace the file while this one waits for it, before it gives up.
constexpr int kMaxReopens = 10;

// A new file that is to take the old one's place gets its owner, group and mode; a writer who
// may not give it them (another operator of a shared folder) does not replace the file, which
// would otherwise end up owned by whoever saved last and locked against the others.
bool takeOverOwnership(int fd, const struct stat& old) {
  const uid_t owner = old.st_uid == ::geteuid() ? static_cast<uid_t>(-1) : old.st_uid;
  return ::fchown(fd, owner, old.st_gid) == 0 && ::fchmod(fd, old.st_mode & 07777) == 0;
}

// The journal must be readable by whoever reads the file, and it stays the writer's own, so
// it gets the file's group where the writer may give it, and the file's read permissions.
void shareLikeTarget(int journal, int target) {
  struct stat old {};
  if (::fstat(target, &old) != 0) return;
  (void)::fchown(journal, static_cast<uid_t>(-1), old.st_gid);
  (void)::fchmod(journal, (old.st_mode & 0444) | S_IWUSR);
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

FileReplacement::FileReplacement(const std::filesystem::path& target)
    : target_(followLinks(target).value_or(std::filesystem::path{})) {}

FileReplacement::~FileReplacement() {
  if (file_ != nullptr) std::fclose(file_);
  if (targetFd_ >= 0) ::close(targetFd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool FileReplacement::open(std::uintmax_t size) {
  if (target_.empty() || file_ != nullptr) return false;
  size_ = size;
  removeStaleSaveTemporaries(target_);
  struct stat old {};
  const bool existed = ::stat(target_.c_str(), &old) == 0;
  if (!existed && errno != ENOENT) return false;
  if (existed && !openTarget(old)) return false;
  int fd = (!existed || renameKeepsFile(old)) ? createReplacement(existed ? &old : nullptr) : -1;
  renames_ = fd >= 0;
  if (fd < 0) fd = prepareInPlace();
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) ::close(fd);
  return file_ != nullptr;
}

// Opening the old file for writing is the one test of whether it may be written: a list that
// is protected stays protected, whichever way the new version would reach it. Saves of the same
// file take their turns; one that waited on a file that another replaced meanwhile saves over
// the new one.
bool FileReplacement::openTarget(struct stat& old) {
  for (int attempt = 0; attempt < kMaxReopens; ++attempt) {
    if (!S_ISREG(old.st_mode)) return false;  // a FIFO would block, a device swallow the list
    targetFd_ = ::open(target_.c_str(), kWriteFlags);
    if (targetFd_ < 0 || ::fstat(targetFd_, &old) != 0 || !S_ISREG(old.st_mode)) return false;
    waitForSaveLock(targetFd_);
    struct stat named {};
    if (::stat(target_.c_str(), &named) != 0) return false;
    if (sameFile(named, old)) {
      (void)rollForward(target_, targetFd_);  // a save that died left its journal
      return ::fstat(targetFd_, &old) == 0;
    }
    ::close(targetFd_);
    targetFd_ = -1;
    old = named;
  }
  return false;
}

// A rename moves only the name: the other names of a hard-linked file, and its extended
// attributes (an ACL that lets other operators write it), stay with the old file.
bool FileReplacement::renameKeepsFile(const struct stat& old) const {
  return old.st_nlink == 1 && ::flistxattr(targetFd_, nullptr, 0) <= 0;
}

// -1, with nothing left behind, when the folder takes no new file or the new file cannot be
// made to look like the old one.
int FileReplacement::createReplacement(const struct stat* old) {
  const int fd = createSaveTemporary(target_, temporary_);
  if (fd < 0 || old == nullptr || takeOverOwnership(fd, *old)) return fd;
  ::close(fd);
  ::unlink(temporary_.c_str());
  temporary_.clear();
  return -1;
}

// The new version goes to a draft of the journal. A folder that takes no new file leaves no
// room for one: the file is then overwritten directly, readers held off until it is done.
int FileReplacement::prepareInPlace() {
  if (targetFd_ < 0) targetFd_ = ::open(target_.c_str(), kWriteFlags | O_CREAT, kNewFileMode);
  if (targetFd_ < 0 || !reserveRoom(targetFd_, size_)) return -1;
  const int draft = createSaveTemporary(target_, temporary_);
  if (draft >= 0) {
    shareLikeTarget(draft, targetFd_);
    return draft;
  }
  waitForCopyLock(targetFd_);
  const int fd = targetFd_;
  targetFd_ = -1;  // file_ owns it from here
  return fd;
}

void FileReplacement::write(std::string_view bytes) {
  if (file_ == nullptr || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  written_ += bytes.size();
}

bool FileReplacement::commit() {
  if (file_ == nullptr || !finishFile()) return false;
  return temporary_.empty() || replaceTarget();
}

// Every byte on the disk before the file counts as saved, so that not even a power cut can leave
// the name on a file without its content. Written in place, the end of a longer old version is
// cut off.
bool FileReplacement::finishFile() {
  const int fd = ::fileno(file_);
  bool written = !failed_ && std::fflush(file_) == 0 && std::ferror(file_) == 0;
  if (temporary_.empty()) written = written && ::ftruncate(fd, static_cast<off_t>(written_)) == 0;
  written = written && ::fsync(fd) == 0;
  written = std::fclose(file_) == 0 && written;
  file_ = nullptr;
  return written;
}

// The finished temporary file is renamed over the target where that keeps the file. A journal
// still there from a save that died is replaced by it on the way, so that it cannot outlive
// this save. A file mounted on its own (a list bind-mounted into a container) or on another
// filesystem than its folder cannot be renamed over, and is written in place like the rest.
bool FileReplacement::replaceTarget() {
  const std::filesystem::path journal = journalOf(target_);
  struct stat status {};
  const bool journalLeft = ::lstat(journal.c_str(), &status) == 0;
  if (renames_ && !journalLeft && ::rename(temporary_.c_str(), target_.c_str()) == 0) {
    temporary_.clear();
    return true;
  }
  if (!publishJournal(temporary_, target_)) return false;
  temporary_.clear();
  if (renames_ && ::rename(journal.c_str(), target_.c_str()) == 0) return true;
  return targetFd_ >= 0 && rollForward(target_, targetFd_);
}

}  // namespace orvane
