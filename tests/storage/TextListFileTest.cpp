#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <array>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "RadiotextListFile.h"
#include "TempDir.h"
#include "TextListFile.h"

namespace orvane {
namespace {

// The editor's rows: ORD, TEXTO, TMS, as its columns hold them.
class Rows : public TextListRows {
 public:
  Rows() = default;
  Rows(std::initializer_list<std::array<std::string, 3>> rows) : rows_(rows) {}
  std::size_t rowCount() const override { return rows_.size(); }
  std::string cell(std::size_t row, int column) const override {
    return rows_.at(row).at(static_cast<std::size_t>(column));
  }
  void appendRow(const std::string& order, const std::string& text,
                 const std::string& dwell) override {
    rows_.push_back({order, text, dwell});
  }
  // "ORD|TMS|TEXTO" per row, one row after the other.
  std::string shown() const {
    std::string out;
    for (const auto& r : rows_) out += r[0] + "|" + r[2] + "|" + r[1] + ";";
    return out;
  }

 private:
  std::vector<std::array<std::string, 3>> rows_;
};

std::string loaded(std::string_view bytes) {
  Rows rows;
  LineReader lines(bytes);
  loadTextList(lines, rows);
  return rows.shown();
}

TEST(TextList, LoadKeepsFieldsAsTheyStand) {
  const std::string tail = "\n[1][2]ok\n";
  const struct {
    std::string file;
    std::string rows;
  } cases[] = {
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
  for (const auto& c : cases) EXPECT_EQ(loaded(c.file), c.rows) << c.file;
}

TEST(TextList, LookupTakesTheFirstEntryWhoseOrderReadsAsTheNumber) {
  const struct {
    std::string file;
    std::int32_t order;
    std::string found;  // "text/dwell", or "-" when not found
  } cases[] = {
      {"[5][1]a\n[5][2]b\n", 5, "a/1"},
      {"[ 7][3]x\n", 7, "x/3"},
      {"[07][3]x\n", 7, "x/3"},
      {"[7a][3]x\n", 7, "x/3"},
      {"[x][3]y\n[][3]y\n", 0, "-"},
      {"[9][]z\n[9][2]w\n", 9, "z/0"},
      {"[9][abc]z\n", 9, "z/0"},
      {"[1][2]t\n", 3, "-"},
      {"[-2][-3]n\n", -2, "n/-3"},
      {"[4294967303][1]w\n", 7, "w/1"},
      {"[1][2]" + std::string(300, 't') + "\n", 1, std::string(249, 't') + "/2"},
  };
  for (const auto& c : cases) {
    std::string text = "old";
    std::int32_t dwell = -99;
    LineReader lines(c.file);
    const bool found = readListEntry(lines, c.order, text, dwell);
    const std::string got = found ? text + "/" + std::to_string(dwell) : "-";
    EXPECT_EQ(got, c.found) << c.file;
    if (!found) {
      EXPECT_TRUE(text == "old" && dwell == -99) << c.file;
    }
  }
}

TEST(TextListFile, MissingFileGivesNothingAndLeavesOutputs) {
  test::TempDir dir;
  Rows rows;
  LoadTextList(dir.path(), rows);
  EXPECT_EQ(rows.shown(), "");
  std::string text = "old";
  std::int32_t dwell = 7;
  EXPECT_FALSE(ReadListEntry(dir.path(), 1, text, dwell));
  EXPECT_TRUE(text == "old" && dwell == 7);
}

TEST(TextListFile, SaveWritesCrLfAndLoadsBackUnchanged) {
  test::TempDir dir;
  const Rows rows{{" 7", "a]b[", "3"}, {"07", "Caf\xE9!", ""}, {"x", "", "y"}};
  ASSERT_TRUE(SaveTextList(dir.path(), rows));
  EXPECT_EQ(dir.read("RDSTXT.TXT"), "[ 7][3]a]b[\r\n[07][]Caf\xE9!\r\n[x][y]\r\n");
  Rows back;
  LoadTextList(dir.path(), back);
  EXPECT_EQ(back.shown(), rows.shown());
  RadiotextListFile rotation(dir.path());
  std::string text;
  std::int32_t dwell = 0;
  EXPECT_TRUE(rotation.readEntry(7, text, dwell));
  EXPECT_EQ(text + "/" + std::to_string(dwell), "a]b[/3");
}

TEST(TextListFile, SaveKeepsTheFoundNameAndPermissionsAndLeavesNoTemporary) {
  test::TempDir dir;
  dir.write("Rdstxt.txt", "[1][1]old\r\n");
  chmod(dir.file("Rdstxt.txt").c_str(), 0640);
  ASSERT_TRUE(SaveTextList(dir.path(), Rows{}));  // an empty list leaves an empty file
  EXPECT_EQ(dir.read("Rdstxt.txt"), "");
  struct stat saved {};
  ASSERT_EQ(stat(dir.file("Rdstxt.txt").c_str(), &saved), 0);
  EXPECT_EQ(saved.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(TextListFile, DirectoryInTheWayIsNeitherReadNorReplaced) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("RDSTXT.TXT"));
  Rows rows;
  LoadTextList(dir.path(), rows);
  EXPECT_EQ(rows.shown(), "");
  std::string text;
  std::int32_t dwell = 0;
  EXPECT_FALSE(ReadListEntry(dir.path(), 1, text, dwell));
  EXPECT_FALSE(SaveTextList(dir.path(), Rows{{"1", "x", "1"}}));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("RDSTXT.TXT")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// Each failing save must report false and leave the old list whole.
class FailingSave : public ::testing::Test {
 protected:
  void SetUp() override { dir.write("RDSTXT.TXT", kOld); }
  bool saveRestricted(const std::function<void()>& prepare) {
    return test::runRestricted(prepare, [&] {
      return SaveTextList(dir.path(), Rows{{"1", std::string(4000, 'n'), "2"}});
    });
  }
  void expectOldListKept() {
    EXPECT_EQ(dir.read("RDSTXT.TXT"), kOld);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  }
  static constexpr const char* kOld = "[1][2]old\r\n";
  test::TempDir dir;
};

TEST_F(FailingSave, ReadOnlyFolder) {
  chmod(dir.path().c_str(), 0555);
  EXPECT_FALSE(saveRestricted([] {}));
  expectOldListKept();
}

TEST_F(FailingSave, WriteProtectedFile) {
  chmod(dir.path().c_str(), 0777);
  chmod(dir.file("RDSTXT.TXT").c_str(), 0444);
  EXPECT_FALSE(saveRestricted([] {}));
  expectOldListKept();
}

TEST_F(FailingSave, DiskFullPartWay) {
  chmod(dir.path().c_str(), 0777);
  EXPECT_FALSE(saveRestricted([] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
  }));
  expectOldListKept();
}

TEST(TextListFile, UnreadableFileGivesNothing) {
  test::TempDir dir;
  dir.write("RDSTXT.TXT", "[1][2]secret\n");
  chmod(dir.path().c_str(), 0755);
  chmod(dir.file("RDSTXT.TXT").c_str(), 0);
  EXPECT_TRUE(test::runRestricted([] {},
                                  [&] {
                                    Rows rows;
                                    LoadTextList(dir.path(), rows);
                                    std::string text;
                                    std::int32_t dwell = 0;
                                    return rows.shown().empty() &&
                                           !ReadListEntry(dir.path(), 1, text, dwell);
                                  }));
}

}  // namespace
}  // namespace orvane
