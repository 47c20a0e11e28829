#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

// Runs `body` in a forked child, as the unprivileged user "nobody" when the tests run as root,
// for whom permission bits would not count. Returns what `body` returned.
bool runRestricted(const std::function<bool()>& body) {
  constexpr uid_t kNobody = 65534;
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) < 2) << "child status " << status;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(TextListFile, MissingUnreadableOrDirectoryReadsAsEmpty) {
  test::TempDir dir;
  EXPECT_EQ(readBack(dir.path()), " -");
  std::filesystem::create_directory(dir.file("RDSTXT.TXT"));
  EXPECT_EQ(readBack(dir.path()), " -");

  test::TempDir other;
  other.write("RDSTXT.TXT", "[1][2]secret\n");
  chmod(other.path().c_str(), 0755);
  chmod(other.file("RDSTXT.TXT").c_str(), 0);
  EXPECT_TRUE(runRestricted([&] { return readBack(other.path()) == " -"; }));
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

TEST(TextListFile, FailedSaveReportsFalseAndKeepsTheOldList) {
  const std::string old = "[1][2]old\r\n";
  // The list is writable by anyone unless a case says otherwise, so that only its cause can fail.
  const std::tuple<const char*, mode_t, mode_t, rlim_t> cases[] = {
      {"read-only folder", 0555, 0666, RLIM_INFINITY},
      {"write-protected file", 0777, 0444, RLIM_INFINITY},
      {"disk full part way", 0777, 0666, 1000},
  };
  for (const auto& [what, folderMode, fileMode, fileSizeLimit] : cases) {
    test::TempDir dir;
    dir.write("RDSTXT.TXT", old);
    chmod(dir.file("RDSTXT.TXT").c_str(), fileMode);
    chmod(dir.path().c_str(), folderMode);
    EXPECT_FALSE(runRestricted([&] {
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      signal(SIGXFSZ, SIG_IGN);
      setrlimit(RLIMIT_FSIZE, &limit);
      return SaveTextList(dir.path(), Rows{{"1", std::string(4000, 'n'), "2"}});
    })) << what;
    EXPECT_EQ(dir.read("RDSTXT.TXT"), old) << what;
    EXPECT_EQ(entriesIn(dir), 1) << what;
  }
}

}  // namespace
}  // namespace orvane
