#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileHandle.h"
#include "LineReader.h"
#include "TempDir.h"

namespace orvane {
namespace {

using Pieces = std::vector<std::string>;

Pieces piecesOf(LineReader reader) {
  Pieces pieces;
  while (const auto piece = reader.next()) pieces.emplace_back(*piece);
  return pieces;
}

TEST(LineReader, ReadsTextModeLinesInPiecesOf255) {
  const std::string x254(254, 'x');
  const std::pair<std::string, Pieces> cases[] = {
      {"a\r\nb\nc", {"a\n", "b\n", "c"}},
      {"a\r\r\n", {"a\r\n"}},          // only the CR right before the LF goes
      {x254 + "\r\n", {x254 + "\n"}},  // CR LF counts as one byte, so it fits the piece
      {x254 + "x\r\n", {x254 + "x", "\n"}},
      {std::string("ab\0cd\nef", 8), {"ab", "ef"}},  // a NUL ends the text, not the piece
  };
  for (const auto& [bytes, pieces] : cases) EXPECT_EQ(piecesOf(LineReader(bytes)), pieces) << bytes;
}

TEST(LineReader, FileGivesTheSamePiecesAsMemoryAcrossBlockEnds) {
  // CR LF pairs and long lines straddling the reader's 64 KiB blocks.
  std::string bytes;
  for (int i = 0; bytes.size() < 200'000; ++i) {
    bytes += std::string(static_cast<std::size_t>(i % 300), static_cast<char>('a' + i % 26));
    bytes += i % 3 == 0 ? "\r\n" : (i % 3 == 1 ? "\r" : "\n");
  }
  bytes.replace(65535, 2, "\r\n");
  bytes.replace(131071, 2, "\r\n");
  test::TempDir dir;
  dir.write("lines.txt", bytes);
  const FileHandle file = openForReading(dir.file("lines.txt"));
  ASSERT_TRUE(file);
  EXPECT_EQ(piecesOf(LineReader(file.get())), piecesOf(LineReader(bytes)));
}

}  // namespace
}  // namespace orvane
