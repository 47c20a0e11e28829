#include "FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

namespace orvane {
namespace {

// A link to the list kept elsewhere stays a link: the new version replaces what it points to.
std::filesystem::path followLink(const std::filesystem::path& target) {
  std::error_code error;
  if (!std::filesystem::is_symlink(target, error)) return target;
  std::filesystem::path real = std::filesystem::canonical(target, error);
  return error ? target : real;
}

// Created like any new file (0666 less the umask); a file that existed keeps its permissions.
int createBeside(const std::filesystem::path& target, std::filesystem::path& created) {
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = target;
    candidate.replace_filename("." + target.filename().string() + "." + std::to_string(::getpid()) +
                               "-" + std::to_string(attempt));
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0) {
      if (existed) ::fchmod(fd, old.st_mode & 07777);
      created = std::move(candidate);
    }
    return fd;
  }
  return -1;
}

}  // namespace

FileReplacement::FileReplacement(std::filesystem::path target) : target_(followLink(target)) {}

FileReplacement::~FileReplacement() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool FileReplacement::open() {
  // A write-protected list stays protected: renaming over it would bypass the protection, and the
  // failure message tells the operator to check exactly that.
  if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0) return false;
  const int fd = createBeside(target_, temporary_);
  if (fd < 0) return false;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) ::close(fd);
  return file_ != nullptr;
}

void FileReplacement::write(std::string_view bytes) {
  if (file_ == nullptr || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

bool FileReplacement::commit() {
  if (file_ == nullptr) return false;
  // The bytes reach the disk before the rename, so that not even a power cut can leave the new
  // name on an empty file.
  bool written = !failed_ && std::fflush(file_) == 0 && std::ferror(file_) == 0 &&
                 ::fsync(::fileno(file_)) == 0;
  written = std::fclose(file_) == 0 && written;
  file_ = nullptr;
  if (!written || ::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  return true;
}

}  // namespace orvane
