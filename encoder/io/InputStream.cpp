#include "InputStream.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {

InputStream::InputStream(int fd, FileDescriptor owned, std::string name)
    : fd_(fd), owned_(std::move(owned)), name_(std::move(name)) {}

std::optional<InputStream> InputStream::open(const std::string& path, std::string& error) {
  if (path == "-") return InputStream(STDIN_FILENO, FileDescriptor(), "a entrada padrão");
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid()) {
    error = "não foi possível abrir " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  const int fd = file.get();
  return InputStream(fd, std::move(file), path);
}

InputStream::Read InputStream::readInto(std::string& into, std::size_t most) {
  const std::size_t start = into.size();
  into.resize(start + most);
  // Standard input may be shared with whoever started us, so it is not switched to non-blocking
  // mode: a read goes ahead only when poll says it will not wait.
  pollfd ready{fd_, POLLIN, 0};
  const ssize_t got = poll(&ready, 1, 0) > 0 ? ::read(fd_, into.data() + start, most) : -2;
  into.resize(start + static_cast<std::size_t>(got > 0 ? got : 0));
  if (got > 0) return Read::Some;
  if (got == 0) return Read::Ended;
  if (got == -2 || errno == EAGAIN || errno == EINTR) return Read::Nothing;
  error_ = "falhou a leitura de " + name_ + ": " + std::strerror(errno);
  return Read::Failed;
}

bool InputStream::readAtLeast(std::string& into, std::size_t bytes) {
  while (into.size() < bytes) {
    pollfd ready{fd_, POLLIN, 0};
    if (poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
    const Read read = readInto(into, bytes - into.size());
    if (read == Read::Ended || read == Read::Failed) return false;
  }
  return true;
}

}  // namespace orvane
