#pragma once

#include <filesystem>
#include <string_view>

namespace orvane {

// The two files the console keeps in its working folder. The names are those of the existing
// workstations, where files are exchanged between machines as they are.
inline constexpr std::string_view kSettingsFileName = "DEF.INI";
inline constexpr std::string_view kTextListFileName = "RDSTXT.TXT";

// Files copied from Windows may carry another letter case (def.ini, Rdstxt.txt): the exact name
// when it exists in `folder`, else a case-insensitive match there, else the exact name (for
// creating). Several case-insensitive matches resolve to the lowest name in byte order, so the
// choice does not depend on the order in which the folder lists them.
std::filesystem::path resolveInFolder(const std::filesystem::path& folder, std::string_view name);

}  // namespace orvane
