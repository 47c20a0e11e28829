#include "TextListFile.h"

#include "FileHandle.h"
#include "FileNames.h"
#include "FileReplacement.h"
#include "ListLine.h"
#include "RollForwardJournal.h"
#include "ScanNumbers.h"

namespace orvane {
namespace {

std::filesystem::path listFile(const std::filesystem::path& folder) {
  return resolveInFolder(folder, kTextListFileName);
}

std::string lineOf(const TextListRows& rows, std::size_t row) {
  return formatListLine(rows.cell(row, kOrderColumn), rows.cell(row, kDwellColumn),
                        rows.cell(row, kTextColumn));
}

}  // namespace

void loadTextListFrom(LineReader& lines, TextListRows& rows) {
  while (const auto piece = lines.next()) {
    if (const auto entry = parseListLine(*piece)) {
      rows.appendRow(std::string(entry->order), std::string(entry->text),
                     std::string(entry->dwell));
    }
  }
}

bool readListEntryFrom(LineReader& lines, std::int32_t orderNumber, std::string& text,
                       std::int32_t& dwell) {
  while (const auto piece = lines.next()) {
    const auto entry = parseListLine(*piece);
    if (!entry || scanDecimal(entry->order) != orderNumber) continue;
    text = entry->text;
    dwell = scanDecimal(entry->dwell).value_or(0);
    return true;
  }
  return false;
}

void LoadTextList(const std::filesystem::path& folder, TextListRows& rows) {
  const FileHandle file = openCurrentVersion(listFile(folder));
  if (!file) return;
  LineReader lines(file.get());
  loadTextListFrom(lines, rows);
}

bool SaveTextList(const std::filesystem::path& folder, const TextListRows& rows) {
  // The size first: a list written in place has its room reserved before anything is overwritten.
  std::uintmax_t size = 0;
  for (std::size_t row = 0; row < rows.rowCount(); ++row) size += lineOf(rows, row).size();
  FileReplacement replacement(listFile(folder));
  if (!replacement.open(size)) return false;
  for (std::size_t row = 0; row < rows.rowCount(); ++row) replacement.write(lineOf(rows, row));
  return replacement.commit();
}

bool ReadListEntry(const std::filesystem::path& folder, std::int32_t orderNumber, std::string& text,
                   std::int32_t& dwell) {
  const FileHandle file = openCurrentVersion(listFile(folder));
  if (!file) return false;
  LineReader lines(file.get());
  return readListEntryFrom(lines, orderNumber, text, dwell);
}

}  // namespace orvane
