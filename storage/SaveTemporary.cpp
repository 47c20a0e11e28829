#include "SaveTemporary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>

namespace orvane {
namespace {

constexpr int kMaxAttempts = 100;
// Far longer than any save takes between two writes, or between its last write and its rename.
constexpr std::chrono::minutes kStaleAfter{10};

std::string prefixFor(const std::filesystem::path& target) {
  return "." + target.filename().string() + ".";
}

bool allDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "<digits>-<digits>" after the prefix, and nothing else: other files stay whatever they are.
bool isSaveTemporary(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix)) return false;
  name.remove_prefix(prefix.size());
  const std::size_t dash = name.find('-');
  return dash != std::string_view::npos && allDigits(name.substr(0, dash)) &&
         allDigits(name.substr(dash + 1));
}

bool isStale(const std::filesystem::path& file) {
  struct stat status {};
  if (::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const auto age = std::chrono::seconds(std::time(nullptr) - status.st_mtime);
  return age > kStaleAfter;
}

}  // namespace

int createSaveTemporary(const std::filesystem::path& target, std::filesystem::path& created) {
  const std::string prefix = prefixFor(target) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    std::filesystem::path candidate = target;
    candidate.replace_filename(prefix + std::to_string(attempt));
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd >= 0) created = std::move(candidate);
    return fd;
  }
  return -1;
}

void removeStaleSaveTemporaries(const std::filesystem::path& target) {
  const std::string prefix = prefixFor(target);
  std::filesystem::path folder = target.parent_path();
  std::error_code error;
  std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::filesystem::path& file = entries->path();
    if (isSaveTemporary(file.filename().string(), prefix) && isStale(file)) {
      ::unlink(file.c_str());
    }
  }
}

}  // namespace orvane
