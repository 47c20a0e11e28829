#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvane::test {

// A fresh folder under the system's temporary directory, removed with everything in it when the
// object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path file(std::string_view name) const { return path_ / name; }
  // Writes `bytes` exactly as given (no line-end conversion) into a file of this folder.
  void write(std::string_view name, std::string_view bytes) const;
  // The whole content of a file of this folder; empty when it cannot be read.
  std::string read(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace orvane::test
