#include "OutputStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {

std::optional<OutputStream> OutputStream::open(const std::string& path, std::string& error) {
  if (path == "-") return OutputStream(STDOUT_FILENO, FileDescriptor(), "saída padrão");
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file.valid()) {
    error = "não foi possível criar " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  const int fd = file.get();
  return OutputStream(fd, std::move(file), path);
}

OutputStream::OutputStream(int fd, FileDescriptor owned, std::string name)
    : fd_(fd), owned_(std::move(owned)), name_(std::move(name)) {
  struct stat info {};
  const bool known = fstat(fd_, &info) == 0;
  seekable_ = known && S_ISREG(info.st_mode);
  if (known && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))) {
    const int flags = fcntl(fd_, F_GETFL);
    if (flags >= 0 && (flags & O_NONBLOCK) == 0 && fcntl(fd_, F_SETFL, flags | O_NONBLOCK) == 0) {
      restoreFlags_ = flags;
    }
  }
}

OutputStream::OutputStream(OutputStream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      owned_(std::move(other.owned_)),
      name_(std::move(other.name_)),
      seekable_(other.seekable_),
      restoreFlags_(std::exchange(other.restoreFlags_, std::nullopt)),
      pending_(std::move(other.pending_)),
      sent_(std::exchange(other.sent_, 0)),
      error_(std::move(other.error_)) {}

OutputStream::~OutputStream() {
  if (fd_ >= 0 && restoreFlags_) fcntl(fd_, F_SETFL, *restoreFlags_);
}

bool OutputStream::flush() {
  if (!error_.empty()) return false;
  while (pending() > 0) {
    const ssize_t written = ::write(fd_, pending_.data() + sent_, pending());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (written <= 0) {
      error_ = "falhou a escrita em " + name_ + ": " + std::strerror(errno);
      return false;
    }
    sent_ += static_cast<std::size_t>(written);
  }
  // Written bytes are dropped only once they are a good part of the buffer, so a reader that
  // takes a little at a time does not make every write move everything behind it.
  if (sent_ == pending_.size() || sent_ > (1U << 16)) {
    pending_.erase(0, sent_);
    sent_ = 0;
  }
  return true;
}

bool OutputStream::rewriteStart(std::string_view bytes) {
  return seekable_ &&
         pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
}

}  // namespace orvane
