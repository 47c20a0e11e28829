#include "StationFolder.h"

#include <unistd.h>

#include <array>
#include <string>

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr std::array kStationFiles = {"DEF.INI", "RDSTXT.TXT"};

// The new folder is filled under a name of its own and then renamed, so that a start that fails
// half-way leaves no half-seeded station behind, which later starts would take as it is.
std::error_code makeSeededFolder(const fs::path& folder, const fs::path& examples) {
  std::error_code error;
  fs::create_directories(folder.parent_path(), error);
  if (error) return error;
  const fs::path draft = folder.string() + ".new-" + std::to_string(getpid());
  fs::create_directory(draft, error);
  for (const char* name : kStationFiles) {
    if (error || !fs::exists(examples / name)) continue;
    fs::copy_file(examples / name, draft / name, error);
  }
  if (!error) fs::rename(draft, folder, error);
  std::error_code ignored;
  if (error) fs::remove_all(draft, ignored);
  // Another start of the console that made the folder first is as good.
  if (error && fs::is_directory(folder, ignored)) error.clear();
  return error;
}

}  // namespace

std::error_code enterStationFolder(const fs::path& folder, const fs::path& examples) {
  std::error_code error;
  const fs::path absolute = fs::absolute(folder, error);
  if (!error && !fs::exists(absolute, error) && !error)
    error = makeSeededFolder(absolute, examples);
  if (!error) fs::current_path(absolute, error);
  return error;
}

}  // namespace orvane
