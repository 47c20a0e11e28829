#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace orvane {

// Writes a new version of a file and keeps the file what the system says it is: its owner,
// group and mode, every hard link to it, a mount on it, the file a symbolic link points to.
//
// Where a new file renamed over the old one keeps all that, the bytes go to a temporary file
// beside it, which is flushed to the disk and renamed over the old one, so that the old version
// stays whole until the new one is complete. Where it would not (a second hard link, extended
// attributes such as an ACL, an owner or group the writer cannot give a new file, a folder that
// takes no new file, a file mounted on its own), the file is written in place: the room for the
// new bytes is reserved on the disk first, the new version is kept whole in a journal beside it
// (RollForwardJournal), and then it overwrites the old bytes, so that a crash part way is
// finished from the journal. See docs/files.md.
class FileReplacement {
 public:
  explicit FileReplacement(const std::filesystem::path& target);
  ~FileReplacement();  // removes the temporary file unless it was renamed over the target
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // `size` is the length of everything that will be written. False, with the file untouched,
  // when the file itself cannot be written: it is write-protected, it is no regular file (a
  // FIFO, a device, a folder), it does not exist and cannot be created, or, written in place,
  // the disk has no room for it or it would pass the process's file-size limit.
  [[nodiscard]] bool open(std::uintmax_t size);
  // Failures are remembered and reported by commit().
  void write(std::string_view bytes);
  // False when any write, the flush, the close or the rename failed: the old file is then whole,
  // except after an in-place write that failed part way, whose journal then stays for readers
  // and for the next save to finish.
  [[nodiscard]] bool commit();

 private:
  bool openTarget(struct stat& old);
  bool renameKeepsFile(const struct stat& old) const;
  int createReplacement(const struct stat* old);
  int prepareInPlace();
  bool finishFile();
  bool replaceTarget();

  std::filesystem::path target_;     // empty when links went round in a loop
  std::filesystem::path temporary_;  // empty while writing directly in place, and once renamed
  bool renames_ = false;             // temporary_ is to take the target's name, not a journal's
  int targetFd_ = -1;                // the old file, open for writing, while it is not file_
  std::FILE* file_ = nullptr;
  std::uintmax_t size_ = 0;
  std::uintmax_t written_ = 0;
  bool failed_ = false;
};

}  // namespace orvane
