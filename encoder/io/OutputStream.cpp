#include "OutputStream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {
namespace {

constexpr int kReaderRetryMs = 50;
constexpr std::size_t kCompactAfter =
    1U << 16;  // how soon a stop ends the wait for a named pipe's reader

bool isNamedPipe(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// A plain open of a named pipe waits for its reader where no stop signal can end the wait; a
// non-blocking one fails at once without a reader, and is tried again until one comes.
int openPipeForWriting(const std::string& path, int stopFd) {
  for (;;) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || errno != ENXIO) return fd;
    pollfd stop{stopFd, POLLIN, 0};
    if (poll(&stop, 1, kReaderRetryMs) > 0) {
      errno = EINTR;
      return -1;
    }
  }
}

// Without O_TRUNC: whether the run goes ahead is decided only after every output is open. A file
// made here is known as such, so that a refused run can take it away again; a link to a missing
// file is followed and its file made, as before.
int openFileForWriting(const std::string& path, bool& created) {
  created = false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0 || errno != ENOENT) return fd;
  const int made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  created = made >= 0;
  if (made >= 0 || errno != EEXIST) return made;
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
}

}  // namespace

std::optional<OutputStream> OutputStream::open(const std::string& path, std::string& error,
                                               int stopFd) {
  if (path == "-") return OutputStream(STDOUT_FILENO, FileDescriptor(), "saída padrão");
  bool created = false;
  FileDescriptor file(isNamedPipe(path) ? openPipeForWriting(path, stopFd)
                                        : openFileForWriting(path, created));
  if (!file.valid()) {
    error = "não foi possível criar " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  const int fd = file.get();
  OutputStream stream(fd, std::move(file), path);
  stream.created_ = created;
  return stream;
}

OutputStream OutputStream::borrow(int fd, std::string name) {
  return OutputStream(fd, FileDescriptor(), std::move(name));
}

OutputStream::OutputStream(int fd, FileDescriptor owned, std::string name)
    : fd_(fd), owned_(std::move(owned)), name_(std::move(name)) {
  struct stat info {};
  const bool known = fstat(fd_, &info) == 0;
  seekable_ = known && S_ISREG(info.st_mode);
  pipe_ = known && S_ISFIFO(info.st_mode);
  socket_ = known && S_ISSOCK(info.st_mode);
  if (pipe_ || socket_) {
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
      pipe_(other.pipe_),
      socket_(other.socket_),
      created_(std::exchange(other.created_, false)),
      restoreFlags_(std::exchange(other.restoreFlags_, std::nullopt)),
      buffer_(std::move(other.buffer_)),
      end_(std::exchange(other.end_, 0)),
      sent_(std::exchange(other.sent_, 0)),
      written_(other.written_),
      error_(std::move(other.error_)) {}

OutputStream::~OutputStream() {
  if (fd_ >= 0 && restoreFlags_) fcntl(fd_, F_SETFL, *restoreFlags_);
}

void OutputStream::append(std::string_view bytes) {
  std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
  commit(bytes.size());
}

char* OutputStream::room(std::size_t bytes) {
  if (buffer_.size() - end_ < bytes) buffer_.resize(std::max(end_ + bytes, 2 * buffer_.size()));
  return buffer_.data() + end_;
}

bool OutputStream::flush() {
  if (!error_.empty()) return false;
  while (pending() > 0) {
    const ssize_t written = ::write(fd_, buffer_.data() + sent_, pending());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (written <= 0) {
      error_ = "falhou a escrita em " + name_ + ": " + std::strerror(errno);
      return false;
    }
    sent_ += static_cast<std::size_t>(written);
    written_ += static_cast<std::uint64_t>(written);
  }
  // Written bytes are dropped only once they are a good part of the buffer, so a reader that
  // takes a little at a time does not make every write move everything behind it.
  if (sent_ == end_ || sent_ > kCompactAfter) {
    std::memmove(buffer_.data(), buffer_.data() + sent_, end_ - sent_);
    end_ -= sent_;
    sent_ = 0;
  }
  return true;
}

// FIONREAD counts what a pipe holds from either end; a socket counts its unsent bytes apart.
std::size_t OutputStream::queued() const {
  int bytes = 0;
  if (!(pipe_ || socket_) || ioctl(fd_, socket_ ? TIOCOUTQ : FIONREAD, &bytes) != 0 || bytes < 0) {
    return 0;
  }
  return static_cast<std::size_t>(bytes);
}

bool OutputStream::rewriteStart(std::string_view bytes) {
  return seekable_ &&
         pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
}

bool OutputStream::truncate(std::uint64_t size) {
  return seekable_ && ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool OutputStream::startAfresh() {
  return !owned_.valid() || !seekable_ || truncate(0);
}

void OutputStream::withdraw() {
  if (created_ && written_ == 0) ::unlink(name_.c_str());
  created_ = false;
}

}  // namespace orvane
