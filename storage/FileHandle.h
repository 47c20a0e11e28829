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

// Opens a file for reading as raw bytes (LineReader does the text-mode work); empty on failure.
inline FileHandle openForReading(const std::filesystem::path& path) {
  return FileHandle(std::fopen(path.c_str(), "rb"));
}

}  // namespace orvane
