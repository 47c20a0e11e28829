#pragma once

#include <filesystem>
#include <system_error>

namespace orvane {

// Makes `folder` the current folder, where the console reads DEF.INI and keeps RDSTXT.TXT.
// A folder that does not exist yet is made, with the files found in `examples` copied into it
// (a station starts from the examples, or with none where they are missing); an existing
// folder is entered as it is, so nothing the operator keeps there is ever overwritten.
// Returns what went wrong, or no error.
std::error_code enterStationFolder(const std::filesystem::path& folder,
                                   const std::filesystem::path& examples);

}  // namespace orvane
