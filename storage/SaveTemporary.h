#pragma once

#include <filesystem>

namespace orvane {

// The temporary files a save writes beside its target before renaming them over it, named
// ".<target name>.<process id>-<attempt>" so that no two saves, even from two workstations on a
// shared folder, write into the same one.

// Creates a new temporary file for `target` (0666 less the umask, like any new file), sets
// `created` to its name and returns its descriptor, open for writing; -1 when none can be made.
int createSaveTemporary(const std::filesystem::path& target, std::filesystem::path& created);

// Removes the temporary files of `target` that a save killed part way left behind. One that was
// written to in the last minutes may belong to a save still running elsewhere, and stays.
void removeStaleSaveTemporaries(const std::filesystem::path& target);

}  // namespace orvane
