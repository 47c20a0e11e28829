#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A temporary folder holding a radiotext list of `lines` entries numbered from 1, each with a
// full 64-byte text ending in plain ASCII, removed with the object.
class ListFolder {
 public:
  explicit ListFolder(std::int64_t lines) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
    std::ofstream out(path_ / "RDSTXT.TXT", std::ios::binary);
    const std::string text =
        "Boa tarde, ouvintes: informa\xE7\xE3o de tr\xE2nsito a cada meia hora!!";
    for (std::int64_t n = 1; n <= lines; ++n) out << '[' << n << "][2]" << text << "\r\n";
  }
  ~ListFolder() { std::filesystem::remove_all(path_); }
  ListFolder(const ListFolder&) = delete;
  ListFolder& operator=(const ListFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};
