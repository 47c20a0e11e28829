#include "FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "LinkTarget.h"
#include "SaveTemporary.h"

namespace orvane {
namespace {

// The name is already the end of any link chain; a link put there since is not followed.
constexpr int kWriteFlags = O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
constexpr mode_t kNewFileMode = 0666;  // less the umask, like any new file
constexpr std::size_t kCopyBlock = 64 * 1024;

// Claims the disk space for `size` bytes before any old byte is overwritten, so that a full disk
// fails the save while the old file is still whole. Where the filesystem cannot reserve, for
// whatever reason it gives, the writing goes on unreserved.
bool reserve(int fd, std::uintmax_t size) {
  if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) {
    return true;
  }
  return errno != ENOSPC && errno != EDQUOT && errno != EFBIG;
}

// A new file that is to take the old one's place gets its owner, group and mode; a writer who
// may not give it them (another operator of a shared folder) does not replace the file, which
// would otherwise end up owned by whoever saved last and locked against the others.
bool takeOverOwnership(int fd, const struct stat& old) {
  const uid_t owner = old.st_uid == ::geteuid() ? static_cast<uid_t>(-1) : old.st_uid;
  return ::fchown(fd, owner, old.st_gid) == 0 && ::fchmod(fd, old.st_mode & 07777) == 0;
}

bool writeAll(int fd, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t done = ::write(fd, bytes, count);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

// Overwrites the file open as `to` with the whole of `from`, then cuts off what is left of a
// longer old version.
bool copyInPlace(const std::filesystem::path& from, int to, std::uintmax_t size) {
  const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return false;
  bool copied = reserve(to, size);
  std::array<char, kCopyBlock> block{};
  std::uintmax_t total = 0;
  while (copied) {
    const ssize_t got = ::read(source, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    copied = writeAll(to, block.data(), static_cast<std::size_t>(got));
    total += static_cast<std::uintmax_t>(got);
  }
  ::close(source);
  return copied && total == size && ::ftruncate(to, static_cast<off_t>(size)) == 0 &&
         ::fsync(to) == 0;
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
  if (fd < 0) fd = prepareInPlace();
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) ::close(fd);
  return file_ != nullptr;
}

// Opening the old file for writing is the one test of whether it may be written: a list that
// is protected stays protected, whichever way the new version would reach it.
bool FileReplacement::openTarget(struct stat& old) {
  if (!S_ISREG(old.st_mode)) return false;  // a FIFO would block, a device swallow the list
  targetFd_ = ::open(target_.c_str(), kWriteFlags);
  return targetFd_ >= 0 && ::fstat(targetFd_, &old) == 0 && S_ISREG(old.st_mode);
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

int FileReplacement::prepareInPlace() {
  if (targetFd_ < 0) targetFd_ = ::open(target_.c_str(), kWriteFlags | O_CREAT, kNewFileMode);
  if (targetFd_ < 0 || !reserve(targetFd_, size_)) return -1;
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
  return temporary_.empty() || renameOverTarget();
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

// A file mounted on its own (a list bind-mounted into a container) or on another filesystem than
// its folder cannot be renamed over; it gets the finished content written in place.
bool FileReplacement::renameOverTarget() {
  if (::rename(temporary_.c_str(), target_.c_str()) == 0) {
    temporary_.clear();
    return true;
  }
  return targetFd_ >= 0 && copyInPlace(temporary_, targetFd_, written_);
}

}  // namespace orvane
