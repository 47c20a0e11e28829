#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace orvane {

// Writes a new version of a file without ever leaving a partial one in its place: the bytes go
// to a temporary file beside it, which is flushed to the disk, closed and renamed over the old
// one. A crash, a full disk or a failed write therefore leaves the old version whole, and the
// caller hears of the failure instead of being told it worked.
class FileReplacement {
 public:
  explicit FileReplacement(std::filesystem::path target);
  ~FileReplacement();  // removes the temporary file unless it was committed
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // False when the target is write-protected or the temporary file cannot be created.
  [[nodiscard]] bool open();
  // Failures are remembered and reported by commit().
  void write(std::string_view bytes);
  // False, with the old file untouched, when any write, the flush, the close or the rename failed.
  [[nodiscard]] bool commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace orvane
