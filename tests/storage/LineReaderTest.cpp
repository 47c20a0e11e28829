#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileHandle.h"
#include "LineReader.h"
#include "TempDir.h"

namespace orvane {
namespace {

using Pieces = std::vector<std::string>;

Pieces piecesOf(LineReader& reader) {
  Pieces pieces;
  while (const auto piece = reader.next()) pieces.emplace_back(*piece);
  return pieces;
}

Pieces piecesOf(std::string_view bytes) {
  LineReader reader(bytes);
  return piecesOf(reader);
}

TEST(LineReader, ReadsTextModeLinesInPiecesOf255) {
  const std::string x255(255, 'x');
  const struct {
    std::string bytes;
    Pieces pieces;
  } cases[] = {
      {"", {}},
      {"a\r\nb\nc", {"a\n", "b\n", "c"}},
      {"a\rb\r\r", {"a\rb\r\r"}},  // a CR alone is no line end
      {"a\r\r\n", {"a\r\n"}},
      {x255 + "\r\n", {x255, "\n"}},  // CR LF counts as one byte, so it stays whole
      {x255.substr(1) + "\r\n", {x255.substr(1) + "\n"}},
      {std::string(300, 'y'), {std::string(255, 'y'), std::string(45, 'y')}},
      {std::string("ab\0cd\nef", 8), {"ab", "ef"}},  // a NUL ends the text, not the piece
      {std::string("\0\n", 2), {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(piecesOf(c.bytes), c.pieces) << c.bytes;
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
  LineReader reader(file.get());
  EXPECT_EQ(piecesOf(reader), piecesOf(bytes));
}

TEST(LineReader, DirectoryReadsAsEmpty) {
  test::TempDir dir;
  const FileHandle file = openForReading(dir.path());
  if (!file) GTEST_SKIP() << "directories cannot be opened here";
  LineReader reader(file.get());
  EXPECT_EQ(piecesOf(reader), Pieces{});
}

}  // namespace
}  // namespace orvane
