#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ListLine.h"
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

std::string loaded(std::string_view bytes) {
  Rows rows;
  LineReader lines(bytes);
  loadTextList(lines, rows);
  return rows.shown();
}

TEST(TextList, LoadKeepsFieldsAsTheyStand) {
  const std::string tail = "\n[1][2]ok\n";
  const std::pair<std::string, std::string> cases[] = {
      {"[3][4]Bom dia  \r\n", "3|4|Bom dia  ;"},
      {"[12][4]Caf\xE9\t\r\n", "12|4|Caf;"},
      {"[1][]\r\n", "1||;"},
      {"[][]\r\n", ""},
      {"[1][]", ""},  // a last line without its line end needs six bytes of its own
      {" [1][2]x\n", ""},
      {"[1][2]a]b[c\n", "1|2|a]b[c;"},
      {"[ 7][3]x\n[07][3]y\n[7a][3]z\n", " 7|3|x;07|3|y;7a|3|z;"},
      {"[5][1]a\n[5][2]b\n", "5|1|a;5|2|b;"},
      {"[1]]9]t\n", "1|9|t;"},                 // the byte after the first "]" is passed over
      {"[123456\n[12345]\n[1]x2\n[1]\n", ""},  // closing brackets missing inside the line
      {"[1][2]" + std::string(294, 'a') + "\n", "1|2|" + std::string(249, 'a') + ";"},
      {"[1][2]" + std::string(249, 'a') + "[2][3]b\n", "1|2|" + std::string(249, 'a') + ";2|3|b;"},
      {"", ""},
      {"[1][2]a\r[2][3]b\r", "1|2|a\r[2][3]b;"},  // only CRs: one line
      {std::string("[1][2]AB\0CD\n[1]\0[2]x\n", 22), "1|2|AB;"},
      {std::string(1 << 20, '\xFF') + tail, "1|2|ok;"},
  };
  for (const auto& [file, rows] : cases) EXPECT_EQ(loaded(file), rows) << file;
}

// "text/dwell" of a lookup, "-" when nothing was found and the outputs were left alone.
std::string lookup(const std::function<bool(std::string&, std::int32_t&)>& read) {
  std::string text = "old";
  std::int32_t dwell = -99;
  if (read(text, dwell)) return text + "/" + std::to_string(dwell);
  return text == "old" && dwell == -99 ? "-" : "touched";
}

TEST(TextList, LookupTakesTheFirstEntryWhoseOrderReadsAsTheNumber) {
  const struct {
    std::string file;
    std::int32_t order;
    std::string found;
  } cases[] = {
      {"[5][1]a\n[5][2]b\n", 5, "a/1"},
      {"[ 7][3]x\n", 7, "x/3"},
      {"[07][3]x\n", 7, "x/3"},
      {"[7a][3]x\n", 7, "x/3"},
      {"[x][3]y\n[][3]y\n", 0, "-"},
      {"[9][]z\n[9][2]w\n", 9, "z/0"},
      {"[1][2]t\n", 3, "-"},
      {"[-2][-3]n\n", -2, "n/-3"},
      {"[4294967303][1]w\n", 7, "w/1"},  // cut to 32 bits, as glibc's "%d" does
      {"[1][2]" + std::string(300, 't') + "\n", 1, std::string(249, 't') + "/2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lookup([&](std::string& text, std::int32_t& dwell) {
                LineReader lines(c.file);
                return readListEntry(lines, c.order, text, dwell);
              }),
              c.found)
        << c.file;
  }
}

// What the editor and the rotation get from a folder: its rows, then the lookup of 1.
std::string readBack(const std::filesystem::path& folder) {
  Rows rows;
  LoadTextList(folder, rows);
  RadiotextListFile rotation(folder);
  return rows.shown() + " " + lookup([&](std::string& text, std::int32_t& dwell) {
           return rotation.readEntry(1, text, dwell);
         });
}

long entriesIn(const test::TempDir& dir) {
  return std::distance(std::filesystem::directory_iterator(dir.path()), {});
}

TEST(TextListFile, MissingUnreadableOrDirectoryReadsAsEmpty) {
  test::TempDir dir;
  EXPECT_EQ(readBack(dir.path()), " -");
  std::filesystem::create_directory(dir.file("RDSTXT.TXT"));
  EXPECT_EQ(readBack(dir.path()), " -");
  EXPECT_FALSE(SaveTextList(dir.path(), Rows{{"1", "x", "1"}}));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("RDSTXT.TXT")));
  EXPECT_EQ(entriesIn(dir), 1);

  test::TempDir other;
  other.write("RDSTXT.TXT", "[1][2]secret\n");
  chmod(other.path().c_str(), 0755);
  chmod(other.file("RDSTXT.TXT").c_str(), 0);
  EXPECT_TRUE(test::runRestricted([] {}, [&] { return readBack(other.path()) == " -"; }));
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

  // A cell's LF goes out as CR LF and a NUL ends it, as "%s" in text mode did.
  EXPECT_EQ(formatListLine("1", "2", std::string("a\nb\0c", 5)), "[1][2]a\r\nb\r\n");
  ASSERT_TRUE(SaveTextList(dir.path(), Rows{}));
  EXPECT_EQ(dir.read("Rdstxt.txt"), "");
}

TEST(TextListFile, FailedSaveReportsFalseAndKeepsTheOldList) {
  const std::string old = "[1][2]old\r\n";
  const struct {
    const char* what;
    mode_t folderMode;
    mode_t fileMode;
    std::function<void()> prepare;
  } cases[] = {
      // The list is writable by anyone unless a case says otherwise, so that only its cause fails.
      {"read-only folder", 0555, 0666, [] {}},
      {"write-protected file", 0777, 0444, [] {}},
      {"disk full part way", 0777, 0666,
       [] {
         signal(SIGXFSZ, SIG_IGN);
         const rlimit limit{1000, 1000};
         setrlimit(RLIMIT_FSIZE, &limit);
       }},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    dir.write("RDSTXT.TXT", old);
    chmod(dir.file("RDSTXT.TXT").c_str(), c.fileMode);
    chmod(dir.path().c_str(), c.folderMode);
    EXPECT_FALSE(test::runRestricted(c.prepare, [&] {
      return SaveTextList(dir.path(), Rows{{"1", std::string(4000, 'n'), "2"}});
    })) << c.what;
    EXPECT_EQ(dir.read("RDSTXT.TXT"), old) << c.what;
    EXPECT_EQ(entriesIn(dir), 1) << c.what;
  }
}

}  // namespace
}  // namespace orvane
