// The radiotext list file; its saves on the set-ups stations have (shared folders of several
// operators, links, lists mounted into containers, full disks) run as the user who makes them,
// in a child process, in folders that shell commands set up.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ChildRun.h"
#include "FakeConsoleWindow.h"
#include "RadiotextListFile.h"
#include "SettingsReader.h"
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
  test::TempDir dir, fifo, zero, other;
  EXPECT_EQ(readBack(dir.path()), " -");
  std::filesystem::create_directory(dir.file("RDSTXT.TXT"));
  EXPECT_EQ(readBack(dir.path()), " -");
  for (const char* name : {"RDSTXT.TXT", "DEF.INI"}) {
    mkfifo(fifo.file(name).c_str(), 0644);
    symlink("/dev/zero", zero.file(name).c_str());
  }
  EXPECT_EQ(test::inChild([&] {
              alarm(60);  // ends the child, should the reading hang
              ConsoleState state;
              test::FakeConsoleWindow window;
              readSettings(fifo.path(), state, window);
              readSettings(zero.path(), state, window);
              return readBack(fifo.path()) + readBack(zero.path()) == " - -";
            }),
            0);

  other.write("RDSTXT.TXT", "[1][2]secret\n");
  chmod(other.path().c_str(), 0755);
  chmod(other.file("RDSTXT.TXT").c_str(), 0);
  EXPECT_EQ(test::inChild([&] { return test::kNobody.become() && readBack(other.path()) == " -"; }),
            0);
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

  // Only the bytes show it: the reader takes a bare LF and CR LF alike.
  ASSERT_TRUE(SaveTextList(dir.path(), Rows{{"2", "um\ndois", "1"}}));
  EXPECT_EQ(dir.read("Rdstxt.txt"), "[2][1]um\r\ndois\r\n");
  ASSERT_TRUE(SaveTextList(dir.path(), Rows{}));
  EXPECT_EQ(dir.read("Rdstxt.txt"), "");
}

// Who saves: two operators of the group "users" (60100), nobody, and nobody with a file size
// limit of 1000 bytes.
test::Account account(const std::string& name) {
  if (name == "alice") return {60001, 60001, {60100}};
  if (name == "bob") return {60002, 60002, {60100}};
  if (name == "limited") return {65534, 65534, {}, 1000};
  return name == "nobody" ? test::kNobody : test::kRoot;
}

// Saved or refused; the list the same file as before, a new file under its name, or created;
// still a link; its owner, group and mode; then each regular file of the folder with its text (or
// size), where a second name or a leftover temporary file shows.
std::string save(const test::TempDir& dir, const std::string& who, const std::string& text) {
  const std::filesystem::path list = dir.file("RDSTXT.TXT");
  struct stat before {};
  struct stat after {};
  const bool existed = stat(list.c_str(), &before) == 0;
  const int end = test::inChild([&] {
    return account(who).become() && SaveTextList(dir.path(), Rows{{"1", text, "2"}});
  });
  stat(list.c_str(), &after);
  const char* how = !existed ? "created" : after.st_ino == before.st_ino ? "same file" : "new file";
  std::ostringstream out;
  out << (end == 0   ? "saved "
          : end == 1 ? "refused "
                     : "died ")
      << how << (std::filesystem::is_symlink(list) ? " link " : " ") << after.st_uid << ":"
      << after.st_gid << " " << std::oct << (after.st_mode & 0777);
  for (const auto& file : std::set(std::filesystem::directory_iterator(dir.path()), {})) {
    if (!file.is_regular_file()) continue;
    std::string bytes = dir.read(file.path().filename().string());
    if (bytes.starts_with("[1][2]")) bytes = bytes.substr(6, bytes.size() - 8);
    out << " " << file.path().filename().string() << "="
        << (bytes.size() > 40 ? std::to_string(bytes.size()) + "b" : bytes);
  }
  return out.str();
}

struct SaveCase {
  std::string setUp;    // shell commands, run as root in the folder
  std::string savers;   // in turn
  std::string outcome;  // of each save, joined by " / "
  std::string text = "new";
};

// The saves of a case into a folder open to all but writable by root only, holding root's list
// "old" (0644) until the set-up changes it. A set-up that mounts needs mounts of the test's own.
std::string run(const SaveCase& c, bool mountsOwn) {
  const test::TempDir dir;
  chmod(dir.path().c_str(), 0755);
  dir.write("RDSTXT.TXT", "[1][2]old\r\n");
  const std::string setUp = "cd " + dir.path().string() + " && " + c.setUp;
  if ((!mountsOwn && c.setUp.find("mount") != std::string::npos) || std::system(setUp.c_str())) {
    std::cout << "[ SKIPPED  ] " << c.setUp << ": this machine cannot set it up\n";
    return c.outcome;
  }
  std::string outcome;
  std::istringstream savers(c.savers);
  for (std::string who; savers >> who;) {
    outcome += (outcome.empty() ? "" : " / ") + save(dir, who, c.text);
  }
  umount2(dir.file("RDSTXT.TXT").c_str(), MNT_DETACH);
  umount2(dir.path().c_str(), MNT_DETACH);
  return outcome;
}

TEST(TextListFile, SaveKeepsOwnerModeLinksAndMountsAndRefusesOnlyAListThatCannotBeWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "acting as other operators and mounting need root";
  const bool mountsOwn =
      unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  const std::string smallDisk =
      "mount -t tmpfs -o size=64k,mode=755 disk $PWD && cd $PWD && "
      "printf '[1][2]old\\r\\n' > RDSTXT.TXT";
  const std::string fill = " && { cat /dev/zero > filler 2>/dev/null || true; }";
  const std::string kLong(5000, 'n');  // more than the limit, or a page of the small disk
  const SaveCase cases[] = {
      // The list writable, the folder not.
      {"chmod 666 RDSTXT.TXT", "nobody", "saved same file 0:0 666 RDSTXT.TXT=new"},
      {"chmod 777 .", "nobody", "refused same file 0:0 644 RDSTXT.TXT=old"},
      {"chown 0:60100 . && chmod 775 . && chown 60001:60100 RDSTXT.TXT && chmod 664 RDSTXT.TXT",
       "bob alice bob",
       "saved same file 60001:60100 664 RDSTXT.TXT=new / saved new file 60001:60100 664 "
       "RDSTXT.TXT=new / saved same file 60001:60100 664 RDSTXT.TXT=new"},
      {"chown 65534:60100 RDSTXT.TXT && chmod 640 RDSTXT.TXT", "root",
       "saved new file 65534:60100 640 RDSTXT.TXT=new"},
      {"ln RDSTXT.TXT copy", "root", "saved same file 0:0 644 RDSTXT.TXT=new copy=new"},
      {"setfattr -n user.station -v 1 RDSTXT.TXT", "root",
       "saved same file 0:0 644 RDSTXT.TXT=new"},
      {"rm RDSTXT.TXT && mkdir lists && ln -s lists/real.txt RDSTXT.TXT", "root",
       "saved created link 0:0 644 RDSTXT.TXT=new"},
      {"rm RDSTXT.TXT && mkfifo RDSTXT.TXT", "root", "refused same file 0:0 644"},
      // A save killed before its rename left -0 an hour ago; -1 may be a save running elsewhere.
      {"touch .RDSTXT.TXT.4194304-1 && touch -d '-1 hour' .RDSTXT.TXT.4194304-0 .RDSTXT.TXT.x",
       "root", "saved new file 0:0 644 .RDSTXT.TXT.4194304-1= .RDSTXT.TXT.x= RDSTXT.TXT=new"},
      {"chmod 777 . && chown 65534:65534 RDSTXT.TXT", "limited",
       "refused same file 65534:65534 644 RDSTXT.TXT=old", kLong},
      // Written in place, with and without room for a journal beside it.
      {"chmod 777 . && chown 65534:65534 RDSTXT.TXT && ln RDSTXT.TXT copy", "limited",
       "refused same file 65534:65534 644 RDSTXT.TXT=old copy=old", kLong},
      {"chmod 666 RDSTXT.TXT && ln RDSTXT.TXT copy", "limited",
       "refused same file 0:0 666 RDSTXT.TXT=old copy=old", kLong},
      {"cp RDSTXT.TXT source && mount --bind source RDSTXT.TXT", "root",
       "saved same file 0:0 644 RDSTXT.TXT=new source=new"},
      {smallDisk + fill, "root", "refused same file 0:0 644 RDSTXT.TXT=old filler=61440b", kLong},
      {smallDisk + " && ln RDSTXT.TXT copy" + fill, "root",
       "refused same file 0:0 644 RDSTXT.TXT=old copy=old filler=61440b", kLong},
  };
  for (const SaveCase& c : cases) EXPECT_EQ(run(c, mountsOwn), c.outcome) << c.setUp;
}

// A save that died once its journal was complete left the list cut part way: a reader who may
// write the list finishes the copy first, one who may not reads the journal. A draft that never
// became the journal is no version of the list.
TEST(TextListFile, AJournalLeftBehindIsTheListUntilItIsCopiedOver) {
  test::TempDir dir;
  chmod(dir.path().c_str(), 0755);
  const std::string whole = "[1][2]new\r\n[2][1]longer\r\n";
  dir.write("RDSTXT.TXT", whole.substr(0, 14) + "[2][3]old\r\n");
  dir.write(".RDSTXT.TXT.journal", whole);
  dir.write(".RDSTXT.TXT.77-0", "[1][2]draft\r\n");
  const std::string expected = "1|2|new;2|1|longer; new/2";
  if (geteuid() == 0) {
    EXPECT_EQ(
        test::inChild([&] { return test::kNobody.become() && readBack(dir.path()) == expected; }),
        0);
    EXPECT_EQ(dir.read(".RDSTXT.TXT.journal"), whole);
  }
  EXPECT_EQ(readBack(dir.path()), expected);
  EXPECT_EQ(dir.read("RDSTXT.TXT"), whole);
  EXPECT_EQ(entriesIn(dir), 2);  // the journal gone, the draft left to the stale-file cleanup
}

// Saves of a hard-linked list of 30,000 rows, killed at random moments: whatever moment it was,
// the next read gets one list or the other whole, and so does the list's other name after it.
TEST(TextListFile, ASaveInPlaceKilledAnywhereLeavesOneListWhole) {
  test::TempDir dir, second;
  Rows lists[2];
  for (int row = 0; row < 30000; ++row) {
    lists[0].cells.push_back({std::to_string(row), "primeira", "1"});
    lists[1].cells.push_back({std::to_string(row), "a segunda, mais longa", "22"});
  }
  ASSERT_TRUE(SaveTextList(dir.path(), lists[0]) && SaveTextList(second.path(), lists[1]));
  const std::string bytes[2] = {dir.read("RDSTXT.TXT"), second.read("RDSTXT.TXT")};
  ASSERT_EQ(link(dir.file("RDSTXT.TXT").c_str(), dir.file("other").c_str()), 0);
  const std::filesystem::path journal = dir.file(".RDSTXT.TXT.journal");
  std::mt19937 random(15);
  int mixed = 0;
  int caughtCopying = 0;  // rounds killed while the list itself was half written
  int journalsLeft = 0;   // rounds killed between the journal's completion and its removal
  for (int round = 0; round < 200; ++round) {
    const pid_t saver = fork();
    if (saver == 0) {
      alarm(60);
      for (int save = round;; ++save) (void)SaveTextList(dir.path(), lists[save % 2]);
    }
    // A moment anywhere in the first two saves; every other round a moment soon after the
    // journal appeared, so that the few milliseconds of copying it over the list are hit often.
    const bool whileCopying = round % 2 == 1;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (whileCopying && !exists(journal) && std::chrono::steady_clock::now() < until) usleep(20);
    usleep(static_cast<useconds_t>(random() % (whileCopying ? 2000 : 60000)));
    kill(saver, SIGKILL);
    waitpid(saver, nullptr, 0);
    journalsLeft += exists(journal) ? 1 : 0;
    const std::string left = dir.read("RDSTXT.TXT");
    caughtCopying += left == bytes[0] || left == bytes[1] ? 0 : 1;
    Rows read;
    LoadTextList(dir.path(), read);
    const std::string other = dir.read("other");
    const bool whole = read.cells == lists[0].cells || read.cells == lists[1].cells;
    mixed += whole && (other == bytes[0] || other == bytes[1]) ? 0 : 1;
  }
  EXPECT_EQ(mixed, 0) << "of 200 rounds";
  EXPECT_GT(journalsLeft, 0) << "no round was killed at the moments that matter";
  std::cout << "[          ] of 200 rounds, " << journalsLeft << " killed with a complete journal, "
            << caughtCopying << " while copying it\n";
}

}  // namespace
}  // namespace orvane
