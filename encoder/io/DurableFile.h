#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "FileDescriptor.h"

namespace orvane {

// Files that must survive a crash or a power cut whole: a new file is written beside the old,
// synced, renamed over it and the folder synced, so that whatever moment the power goes, the
// path holds either the old bytes or the new ones, never a mix. Errors are Portuguese sentences.

// Writes `bytes` as the whole new content of `path`; none on success, else why not.
[[nodiscard]] std::optional<std::string> replaceFileDurably(const std::string& path,
                                                            std::string_view bytes);

struct FileRead {
  bool missing = false;  // no such file: nothing to read, and nothing wrong
  std::string bytes;
  std::optional<std::string> error;
};

// Reads a whole file of at most `maxBytes`; a longer one is an error, not read.
[[nodiscard]] FileRead readSmallFile(const std::string& path, std::size_t maxBytes);

// Moves a file that cannot be used out of the way, keeping it for whoever wants to look:
// "state.json" becomes "state.json.damaged-20240101T120000". The new name, or none.
[[nodiscard]] std::optional<std::string> setFileAside(const std::string& path, std::string_view why,
                                                      long long unixSeconds);

// A lock on `path` held by the kernel for this process, released when it closes or dies, so
// that a crashed holder never leaves it taken. Invalid when another process holds it, or it
// cannot be made; `error` says which.
[[nodiscard]] FileDescriptor lockFile(const std::string& path, std::string& error);

}  // namespace orvane
