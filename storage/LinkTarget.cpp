#include "LinkTarget.h"

#include <system_error>

namespace orvane {
namespace {

// As many links as the system itself follows in one name before it gives up on a loop.
constexpr int kMaxLinks = 40;

}  // namespace

std::optional<std::filesystem::path> followLinks(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) return current;  // no link (or none readable): this is the file
    // A relative link counts from the folder that holds it.
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return std::nullopt;
}

}  // namespace orvane
