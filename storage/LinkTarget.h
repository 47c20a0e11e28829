#pragma once

#include <filesystem>
#include <optional>

namespace orvane {

// The file that `path` finally names once every symbolic link in its last part is followed,
// whether or not that file exists yet: saving through a link then writes, or creates, the file
// it points to and the link stays a link. Nothing for links that go round in a loop.
std::optional<std::filesystem::path> followLinks(const std::filesystem::path& path);

}  // namespace orvane
