#include "FileNames.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

namespace orvane {
namespace {

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

// Only ASCII letters are folded: the names are ASCII, and folding code-page letters would need
// the code page of whoever copied the file.
std::optional<std::string> caseInsensitiveMatch(const std::filesystem::path& folder,
                                                std::string_view name) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
  std::optional<std::string> best;
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::string candidate = entries->path().filename().string();
    if (equalIgnoringAsciiCase(candidate, name) && (!best || candidate < *best)) best = candidate;
  }
  return best;
}

}  // namespace

std::filesystem::path resolveInFolder(const std::filesystem::path& folder, std::string_view name) {
  const std::filesystem::path exact = folder / name;
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(exact, error))) return exact;
  if (auto match = caseInsensitiveMatch(folder, name)) return folder / *match;
  return exact;
}

}  // namespace orvane
