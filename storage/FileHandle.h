#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace orvane {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// A file open for one operation; closed when the handle goes, whatever path the code leaves by.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading as raw bytes (LineReader does the text-mode work). Empty on
// failure, and for anything else under the name: a FIFO would hold the console up until some
// writer came, and a device such as /dev/zero never ends, so they count as missing.
FileHandle openForReading(const std::filesystem::path& path);

}  // namespace orvane
