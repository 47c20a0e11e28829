// Saving the radiotext list on the set-ups stations have: shared folders of several operators,
// links, lists mounted into containers, full disks. Every save runs in a child process as the
// user who makes it; the folder is looked at from outside afterwards.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "TempDir.h"
#include "TextListFile.h"

namespace orvane::test {
namespace {

constexpr gid_t kUsers = 60100;
const Account kAlice{60001, 60001, {kUsers}};
const Account kBob{60002, 60002, {kUsers}};
const Account kNobodyLimited{kNobody.uid, kNobody.gid, {}, 1000};  // bytes a file may have
const std::string kLong(5000, 'n');                                // more than that, or a page

// A list of one entry, "[1][2]text".
struct OneRow : TextListRows {
  explicit OneRow(std::string t) : text(std::move(t)) {}
  std::size_t rowCount() const override { return 1; }
  std::string cell(std::size_t, int column) const override {
    return column == kOrderColumn ? "1" : column == kDwellColumn ? "2" : text;
  }
  void appendRow(const std::string&, const std::string&, const std::string&) override {}
  std::string text;
};

// "name=text" for a regular file (its entry's text, or its size when long), "name->target" for
// a link, followed by what it names, and "name/" for a folder.
std::string shown(const std::filesystem::path& entry) {
  std::string out = entry.filename().string();
  std::error_code error;
  if (std::filesystem::is_symlink(entry, error)) out += "->" + read_symlink(entry).string();
  if (std::filesystem::is_directory(entry, error)) return out + "/";
  if (!std::filesystem::is_regular_file(entry, error)) return out;
  std::ifstream in(entry, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.size() > 40) return out + "=" + std::to_string(bytes.size()) + "b";
  const bool entryLine = bytes.starts_with("[1][2]") && bytes.ends_with("\r\n");
  return out + "=" + (entryLine ? bytes.substr(6, bytes.size() - 8) : bytes);
}

// What a save of `text` by `who` did: saved or refused; whether the list is the same file as
// before, a new file under its name, or created; its owner, group and mode; every entry of the
// folder, so that a leftover temporary file or a second name shows.
std::string save(const std::filesystem::path& folder, const Account& who, const std::string& text) {
  const std::filesystem::path list = folder / "RDSTXT.TXT";
  struct stat before {
  }, after{};
  const bool existed = stat(list.c_str(), &before) == 0;
  std::ostringstream out;
  out << inChild(
      [&] { return who.become() && SaveTextList(folder, OneRow(text)) ? "saved" : "refused"; });
  stat(list.c_str(), &after);
  out << (!existed                        ? " created "
          : after.st_ino == before.st_ino ? " same file "
                                          : " new file ")
      << after.st_uid << ":" << after.st_gid << " " << std::oct << (after.st_mode & 0777);
  std::set<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    entries.insert(shown(entry));
  for (const auto& entry : entries) out << " " << entry;
  return out.str();
}

template <typename... Results>
bool done(Results... results) {
  return ((results == 0) && ...);
}

struct SaveCase {
  const char* what;
  std::function<bool(const TempDir&)> setUp;  // false: cannot be set up on this machine
  std::vector<Account> savers;                // in turn
  std::string outcome;                        // of each save, joined by " / "
  std::string text = "new";
};

std::filesystem::path listIn(const TempDir& dir) {
  return dir.file("RDSTXT.TXT");
}

// The saves of a case into a folder open to all but writable by root only, holding root's list
// "old" (0644) until the case sets it up further. Mounts made by the case go with it.
std::string run(const SaveCase& c) {
  const TempDir dir;
  chmod(dir.path().c_str(), 0755);
  dir.write("RDSTXT.TXT", "[1][2]old\r\n");
  if (!c.setUp(dir)) {
    std::cout << "[ SKIPPED  ] " << c.what << ": cannot be set up on this machine\n";
    return c.outcome;
  }
  std::string outcome;
  for (const Account& saver : c.savers) {
    outcome += (outcome.empty() ? "" : " / ") + save(dir.path(), saver, c.text);
  }
  umount2(listIn(dir).c_str(), MNT_DETACH);
  umount2(dir.path().c_str(), MNT_DETACH);
  return outcome;
}

TEST(ListSave, KeepsOwnerModeAndLinksAndRefusesOnlyAListThatCannotBeWritten) {
  const SaveCase cases[] = {
      {"list writable, folder not",
       [](auto& d) { return done(chmod(listIn(d).c_str(), 0666)); },
       {kNobody},
       "saved same file 0:0 666 RDSTXT.TXT=new"},
      {"write-protected list, open folder",
       [](auto& d) { return done(chmod(d.path().c_str(), 0777)); },
       {kNobody},
       "refused same file 0:0 644 RDSTXT.TXT=old"},
      {"shared folder, two operators in turn",
       [](auto& d) {
         return done(chown(d.path().c_str(), 0, kUsers), chmod(d.path().c_str(), 0775),
                     chown(listIn(d).c_str(), kAlice.uid, kUsers), chmod(listIn(d).c_str(), 0664));
       },
       {kBob, kAlice, kBob},
       "saved same file 60001:60100 664 RDSTXT.TXT=new / saved new file 60001:60100 664 "
       "RDSTXT.TXT=new / saved same file 60001:60100 664 RDSTXT.TXT=new"},
      {"root saves another's list",
       [](auto& d) {
         return done(chown(listIn(d).c_str(), kNobody.uid, kUsers), chmod(listIn(d).c_str(), 0640));
       },
       {kRoot},
       "saved new file 65534:60100 640 RDSTXT.TXT=new"},
      {"second hard link",
       [](auto& d) { return done(link(listIn(d).c_str(), d.file("copy").c_str())); },
       {kRoot},
       "saved same file 0:0 644 RDSTXT.TXT=new copy=new"},
      {"extended attribute",
       [](auto& d) { return done(setxattr(listIn(d).c_str(), "user.station", "1", 1, 0)); },
       {kRoot},
       "saved same file 0:0 644 RDSTXT.TXT=new"},
      {"link to a list not there yet",
       [](auto& d) {
         return std::filesystem::remove(listIn(d)) && done(mkdir(d.file("lists").c_str(), 0755)) &&
                done(symlink("lists/real.txt", listIn(d).c_str()));
       },
       {kRoot},
       "saved created 0:0 644 RDSTXT.TXT->lists/real.txt=new lists/"},
      {"FIFO for a list",
       [](auto& d) {
         return std::filesystem::remove(listIn(d)) && done(mkfifo(listIn(d).c_str(), 0644));
       },
       {kRoot},
       "refused same file 0:0 644 RDSTXT.TXT"},
      {"file size limit, new file",
       [](auto& d) {
         return done(chmod(d.path().c_str(), 0777),
                     chown(listIn(d).c_str(), kNobody.uid, kNobody.gid));
       },
       {kNobodyLimited},
       "refused same file 65534:65534 644 RDSTXT.TXT=old",
       kLong},
      {"file size limit, in place",
       [](auto& d) {
         return done(chmod(listIn(d).c_str(), 0666),
                     link(listIn(d).c_str(), d.file("copy").c_str()));
       },
       {kNobodyLimited},
       "refused same file 0:0 666 RDSTXT.TXT=old copy=old",
       kLong},
      {"stale temporaries",
       [](auto& d) {
         for (const char* name :
              {".RDSTXT.TXT.4194304-0", ".RDSTXT.TXT.4194304-1", ".RDSTXT.TXT.x"})
           d.write(name, "t");
         const timeval lastHour[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
         return done(utimes(d.file(".RDSTXT.TXT.4194304-0").c_str(), lastHour),
                     utimes(d.file(".RDSTXT.TXT.x").c_str(), lastHour));
       },
       {kRoot},
       "saved new file 0:0 644 .RDSTXT.TXT.4194304-1=t .RDSTXT.TXT.x=t RDSTXT.TXT=new"},
  };
  for (const SaveCase& c : cases) EXPECT_EQ(run(c), c.outcome) << c.what;
}

// A small filesystem of its own in place of the folder, holding the list and a file that takes
// every free byte.
bool fullDisk(const TempDir& dir) {
  if (mount("orvane", dir.path().c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) return false;
  dir.write("RDSTXT.TXT", "[1][2]old\r\n");
  std::ofstream filler(dir.file("filler"), std::ios::binary);
  const std::string block(4096, 'f');
  while (filler.write(block.data(), block.size()) && filler.flush()) {
  }
  return true;
}

TEST(ListSave, AMountedListIsWrittenInPlaceAndAFullDiskKeepsTheOldList) {
  const SaveCase cases[] = {
      {"bind-mounted list",
       [](auto& d) {
         d.write("source", "[1][2]old\r\n");
         return done(mount(d.file("source").c_str(), listIn(d).c_str(), nullptr, MS_BIND, nullptr));
       },
       {kRoot},
       "saved same file 0:0 644 RDSTXT.TXT=new source=new"},
      {"full disk, new file",
       fullDisk,
       {kRoot},
       "refused same file 0:0 644 RDSTXT.TXT=old filler=61440b",
       kLong},
      {"full disk, in place",
       [](auto& d) { return fullDisk(d) && done(link(listIn(d).c_str(), d.file("copy").c_str())); },
       {kRoot},
       "refused same file 0:0 644 RDSTXT.TXT=old copy=old filler=61440b",
       kLong},
  };
  const std::string outcome = inChild([&] {
    std::string all;
    if (!privateMounts()) return all;
    for (const SaveCase& c : cases) all += run(c) + "\n";
    return all;
  });
  if (outcome.empty()) GTEST_SKIP() << "this machine does not let the tests mount";
  std::string expected;
  for (const SaveCase& c : cases) expected += c.outcome + "\n";
  EXPECT_EQ(outcome, expected);
}

}  // namespace
}  // namespace orvane::test
