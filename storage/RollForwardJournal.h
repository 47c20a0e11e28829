#pragma once

#include <cstdint>
#include <filesystem>

#include "FileHandle.h"

namespace orvane {

// A file that must be written in place (see FileReplacement) cannot be replaced atomically, so
// its new content is first kept whole in a journal beside it, ".<file name>.journal". The
// journal is complete from the moment it has that name: it is written and flushed under a
// temporary name first. While it exists, the file itself may hold a mix of two versions, and
// every reader takes the journal instead; whoever finds it left behind by a save that died
// copies it over the file and removes it. See docs/files.md.
//
// Two locks on the file itself (open file description locks, so that they go with the
// descriptor and are dropped when a process dies) order the writers and readers of all
// workstations that share the folder: the save lock, held by one save at a time from its start
// to its end, and the copy lock, held exclusively while the file is overwritten and shared by
// a reader while it reads the file.

// The journal's name for `target`, which is already the end of any chain of links.
std::filesystem::path journalOf(const std::filesystem::path& target);

// Claims the disk space for `size` bytes of the file open for writing as `fd` (keeping its
// size), so that no room fails a save while the old bytes are still whole. False as well when
// `size` passes the process's file-size limit, which the reservation itself would not meet.
// Where the filesystem cannot reserve, for whatever reason it gives, the writing goes on
// unreserved.
[[nodiscard]] bool reserveRoom(int fd, std::uintmax_t size);

// Wait for the save lock, or the copy lock, on `fd`, the file open for writing; dropped when
// the descriptor is closed.
void waitForSaveLock(int fd);
void waitForCopyLock(int fd);

// Makes the finished and flushed `draft` beside `target` the journal. False, with the draft left
// as it is, when it cannot be renamed.
[[nodiscard]] bool publishJournal(const std::filesystem::path& draft,
                                  const std::filesystem::path& target);

// Copies a complete journal of `target` over the file open for writing as `fd`, whose save lock
// the caller holds, then flushes it and removes the journal. True when no journal is left.
bool rollForward(const std::filesystem::path& target, int fd);

// Opens the current version of the file named `path` for reading: after finishing a journal that
// a dead save left where this user may, the file itself, or the journal while a save copies it.
// Empty as openForReading() is.
FileHandle openCurrentVersion(const std::filesystem::path& path);

}  // namespace orvane
