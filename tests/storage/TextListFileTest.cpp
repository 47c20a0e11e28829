#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "ChildRun.h"
#include "RadiotextListFile.h"
#include "TempDir.h"
#include "TextListFile.h"

namespace orvane {
namespace {

// The editor's rows: ORD, TEXTO, TMS, as its columns hold them.
struct Rows : TextListRows {
  Rows(std::initializer_list<std::array<std::string, 3>> list = {}) : cells(list) {}
  std::size_t rowCount() const override { return cells.size(); }
  std::string cell(std::size_t row, int column) const override {
    return cells.at(row).at(static_cast<std::size_t>(column));
  }
  void appendRow(const std::string& order, const std::string& text,
                 const std::string& dwell) override {
    cells.push_back({order, text, dwell});
  }
  // "ORD|TMS|TEXTO;" per row.
  std::string shown() const {
    std::string out;
    for (const auto& r : cells) out += r[0] + "|" + r[2] + "|" + r[1] + ";";
    return out;
  }
  std::vector<std::array<std::string, 3>> cells;
};

// The rows the editor loads from a list file holding `bytes`.
std::string loaded(std::string_view bytes) {
  test::TempDir dir;
  dir.write("RDSTXT.TXT", bytes);
  Rows rows;
  LoadTextList(dir.path(), rows);
  return rows.shown();
}

TEST(TextListFile, LoadKeepsFieldsAsTheyStand) {
  const std::pair<std::string, std::string> cases[] = {
      {"[ 3][04]Bom dia  \r\n", " 3|04|Bom dia  ;"},
      {"[12][4]Caf\xE9\t\r\n", "12|4|Caf;"},
      // Six bytes with the line end, CR LF counting as one; a last line without it is short.
      {"[1][]\r\n[][]\r\n[2][]", "1||;"},
      {"[1][2]a]b[c\n", "1|2|a]b[c;"},
      {" [1][2]x\n[123456\n[12345]\n[1]x2\n[1]\n", ""},
      {"[1][2]" + std::string(249, 'a') + "[2][3]b\n", "1|2|" + std::string(249, 'a') + ";2|3|b;"},
      {"[1][2]a\r[2][3]b\r", "1|2|a\r[2][3]b;"},  // only CRs: one line
      {std::string("[1][2]AB\0CD\n[1]\0[2]x\n", 22), "1|2|AB;"},
      {std::string(1 << 20, '\xFF') + "\n[1][2]ok\n", "1|2|ok;"},
      {std::string(65527, 'x') + "\n[1][2]a\rb\n", "1|2|a\rb;"},  // a CR at the end of a block
  };
  for (const auto& [file, rows] : cases) EXPECT_EQ(loaded(file), rows) << file.substr(0, 60);
}

// "text/dwell" of the lookup of `order`, "-" when nothing was found and the outputs left alone.
std::string lookup(const std::filesystem::path& folder, std::int32_t order) {
  std::string text = "old";
  std::int32_t dwell = -99;
  if (RadiotextListFile(folder).readEntry(order, text, dwell))
    return text + "/" + std::to_string(dwell);
  return text == "old" && dwell == -99 ? "-" : "touched";
}

TEST(TextListFile, LookupTakesTheFirstEntryWhoseOrderReadsAsTheNumber) {
  test::TempDir dir;
  dir.write("RDSTXT.TXT",
            "[x][3]y\n[][3]y\n[5][1]a\n[5][2]b\n[ 7][3]x\n[08][4]y\n[6a][5]z\n[9][]w\n");
  const std::pair<std::int32_t, std::string> cases[] = {{0, "-"},   {5, "a/1"}, {6, "z/5"},
                                                        {7, "x/3"}, {8, "y/4"}, {9, "w/0"}};
  for (const auto& [order, found] : cases) EXPECT_EQ(lookup(dir.path(), order), found) << order;
}

// What the editor and the rotation get from a folder: its rows, then the lookup of 1.
std::string readBack(const std::filesystem::path& folder) {
  Rows rows;
  LoadTextList(folder, rows);
  return rows.shown() + " " + lookup(folder, 1);
}

long entriesIn(const test::TempDir& dir) {
  return std::distance(std::filesystem::directory_iterator(dir.path()), {});
}

// A FIFO would hold the console up for ever, /dev/zero would keep it reading for ever.
TEST(TextListFile, MissingUnreadableOrNoRegularFileReadsAsEmpty) {
  test::TempDir dir;
  EXPECT_EQ(readBack(dir.path()), " -");
  std::filesystem::create_directory(dir.file("RDSTXT.TXT"));
  EXPECT_EQ(readBack(dir.path()), " -");
  test::TempDir fifo, zero;
  mkfifo(fifo.file("RDSTXT.TXT").c_str(), 0644);
  symlink("/dev/zero", zero.file("RDSTXT.TXT").c_str());
  EXPECT_EQ(test::inChild([&] {
              alarm(60);  // ends the child, should the reading hang
              return readBack(fifo.path()) + readBack(zero.path());
            }),
            " - -");

  test::TempDir other;
  other.write("RDSTXT.TXT", "[1][2]secret\n");
  chmod(other.path().c_str(), 0755);
  chmod(other.file("RDSTXT.TXT").c_str(), 0);
  EXPECT_EQ(test::inChild([&] { return test::kNobody.become() ? readBack(other.path()) : ""; }),
            " -");
}

TEST(TextListFile, SaveWritesCrLfUnderTheFoundNameAndReadsBackUnchanged) {
  test::TempDir dir;
  dir.write("Rdstxt.txt", "[1][1]old\r\n");
  chmod(dir.file("Rdstxt.txt").c_str(), 0640);
  const Rows rows{{" 1", "a]b[", "3"}, {"07", "Caf\xE9!", ""}, {"x", "", "y"}};
  ASSERT_TRUE(SaveTextList(dir.path(), rows));
  EXPECT_EQ(dir.read("Rdstxt.txt"), "[ 1][3]a]b[\r\n[07][]Caf\xE9!\r\n[x][y]\r\n");
  EXPECT_EQ(readBack(dir.path()), rows.shown() + " a]b[/3");
  struct stat saved {};
  ASSERT_EQ(stat(dir.file("Rdstxt.txt").c_str(), &saved), 0);
  EXPECT_EQ(saved.st_mode & 0777, 0640u);
  EXPECT_EQ(entriesIn(dir), 1);  // no temporary left, no second name

  ASSERT_TRUE(SaveTextList(dir.path(), Rows{}));
  EXPECT_EQ(dir.read("Rdstxt.txt"), "");
}

}  // namespace
}  // namespace orvane
