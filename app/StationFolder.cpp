#include "StationFolder.h"

#include <unistd.h>

#include <array>
#include <deque>
#include <string>

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr std::array kStationFiles = {"DEF.INI", "RDSTXT.TXT"};
// As many links as the system itself follows in one name before it gives up on a loop.
constexpr int kMaxLinks = 40;

// The folder that `folder` names, spelled as the system finds it: every link followed, also one
// to a folder not made yet, "." and ".." taken where they stand, no separator at the end. The
// folder is made, and later found, under this one spelling, so that "DIR/" (as tab completion
// gives it) does not make DIR empty before the examples could be put there as "DIR/.new-...".
fs::path resolvedFolder(const fs::path& folder, std::error_code& error) {
  const fs::path absolute = fs::absolute(folder, error);
  fs::path resolved = absolute.root_path();
  const fs::path parts = absolute.relative_path();
  std::deque<fs::path> rest(parts.begin(), parts.end());
  for (int links = 0; !error && !rest.empty();) {
    const fs::path part = rest.front();
    rest.pop_front();
    std::error_code missing;
    if (part == "..") resolved = resolved.parent_path();
    if (part.empty() || part == "." || part == "..") continue;
    if (!fs::is_symlink(resolved / part, missing)) {
      resolved /= part;
    } else if (++links > kMaxLinks) {
      error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    } else {
      const fs::path target = fs::read_symlink(resolved / part, error);
      if (target.is_absolute()) resolved = target.root_path();
      const fs::path inTarget = target.relative_path();
      rest.insert(rest.begin(), inTarget.begin(), inTarget.end());
    }
  }
  return resolved;
}

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
  const fs::path absolute = resolvedFolder(folder, error);
  if (!error && !fs::exists(absolute, error) && !error)
    error = makeSeededFolder(absolute, examples);
  if (!error) fs::current_path(absolute, error);
  return error;
}

}  // namespace orvane
