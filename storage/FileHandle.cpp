#include "FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

FileHandle openForReading(const std::filesystem::path& path) {
  struct stat status {};
  // Looked at before the open, which could block on a FIFO or act on a device, and again on the
  // open file, in case something else took the name in between (where O_NONBLOCK keeps the open
  // from waiting).
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {};
  FileHandle file;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) file.reset(::fdopen(fd, "rb"));
  if (!file) ::close(fd);
  return file;
}

}  // namespace orvane
