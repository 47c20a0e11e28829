#include "DurableFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace orvane {
namespace {

constexpr mode_t kPrivateFile = 0600;

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string failed(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

}  // namespace

std::optional<std::string> replaceFileDurably(const std::string& path, std::string_view bytes) {
  const std::string fresh = path + ".new";
  FileDescriptor file(
      ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kPrivateFile));
  if (!file.valid()) return failed("não foi possível criar", fresh);
  if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0) {
    std::string why = failed("não foi possível escrever", fresh);
    ::unlink(fresh.c_str());
    return why;
  }
  file.reset();
  if (::rename(fresh.c_str(), path.c_str()) != 0) {
    std::string why = failed("não foi possível substituir", path);
    ::unlink(fresh.c_str());
    return why;
  }
  // Without this the rename itself may be lost with the power, leaving the old file.
  const std::string folder = folderOf(path);
  FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.valid() || ::fsync(directory.get()) != 0) {
    return failed("não foi possível sincronizar a pasta", folder);
  }
  return std::nullopt;
}

FileRead readSmallFile(const std::string& path, std::size_t maxBytes) {
  FileRead read;
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!file.valid()) {
    read.missing = errno == ENOENT;
    if (!read.missing) read.error = failed("não foi possível abrir", path);
    return read;
  }
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      read.error = failed("não foi possível ler", path);
      return read;
    }
    if (got == 0) return read;
    read.bytes.append(chunk, static_cast<std::size_t>(got));
    if (read.bytes.size() > maxBytes) {
      read.error = "maior que " + std::to_string(maxBytes) + " bytes";
      return read;
    }
  }
}

std::optional<std::string> setFileAside(const std::string& path, std::string_view why,
                                        long long unixSeconds) {
  const std::time_t seconds = static_cast<std::time_t>(unixSeconds);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
  const std::string aside = path + "." + std::string(why) + "-" + stamp;
  if (::rename(path.c_str(), aside.c_str()) != 0) return std::nullopt;
  return aside;
}

FileDescriptor lockFile(const std::string& path, std::string& error) {
  FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kPrivateFile));
  if (!file.valid()) {
    error = failed("não foi possível criar", path);
    return file;
  }
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? "outro processo tem " + path : failed("sem trinco em", path);
    file.reset();
  }
  return file;
}

}  // namespace orvane
