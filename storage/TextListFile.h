#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "LineReader.h"
#include "TextListRows.h"

namespace orvane {

// The radiotext list file RDSTXT.TXT of a folder: one entry "[order][dwell]text" per line, in
// the editor's row order; see docs/files.md. Every operation opens the file, does its work and
// closes it; nothing is cached, so the rotation always reads the list as last saved. Both readers
// read a list that a save is overwriting, or that one left half written, from its journal.

// Appends one row per entry line, in file order, with the field texts as they stand. A missing
// or unreadable file, or anything but a regular file, adds nothing.
void LoadTextList(const std::filesystem::path& folder, TextListRows& rows);

// Writes every row over the file, with CR LF line ends, under the name the file already has,
// keeping its owner, group, mode, links and mounts (FileReplacement). False when the file cannot
// be written (write-protected, no regular file, past the file-size limit) or anything in the
// writing fails; the old list is then whole, except after an in-place write that failed part
// way, whose journal then stands for the list until it is copied over (RollForwardJournal).
bool SaveTextList(const std::filesystem::path& folder, const TextListRows& rows);

// Looks up the first entry whose order field reads (as scanf's "%d") as `orderNumber`, and sets
// `text` and `dwell` from it; an entry whose dwell holds no number gives dwell 0. False, with
// both left untouched, when there is no such entry or no readable file.
bool ReadListEntry(const std::filesystem::path& folder, std::int32_t orderNumber, std::string& text,
                   std::int32_t& dwell);

// The two readers on lines from any source.
void loadTextListFrom(LineReader& lines, TextListRows& rows);
bool readListEntryFrom(LineReader& lines, std::int32_t orderNumber, std::string& text,
                       std::int32_t& dwell);

}  // namespace orvane
