#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "ChildProcess.h"
#include "Cp1252.h"
#include "FakeConsoleWindow.h"
#include "SettingsReader.h"
#include "TempDir.h"

namespace orvane {
namespace {

// The console just before the settings file is read, as the window's initialisation leaves it.
struct Console {
  Console() {
    applyStartupValues(state);
    window.address = kDefaultServerAddress;
  }
  ConsoleState state;
  test::FakeConsoleWindow window;
};

void describeText(std::string& out, const char* name, const std::string& text) {
  if (!text.empty()) out += std::string(name) + "=[" + text + "] ";
}

void describeFlag(std::string& out, const char* name, Flag flag, Flag startup) {
  if (flag != startup) out += std::string(name) + "=" + std::to_string(flag) + " ";
}

// What the file changed, in a fixed order, so a table row can state its whole effect.
std::string changes(const Console& c) {
  std::string out;
  const std::uint32_t a = c.window.address;
  if (a != kDefaultServerAddress) {
    out += "address=" + std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 0xFF) + "." +
           std::to_string(a >> 8 & 0xFF) + "." + std::to_string(a & 0xFF) + " ";
  }
  if (c.state.serverPort != kDefaultServerPort)
    out += "port=" + std::to_string(c.state.serverPort) + " ";
  if (c.window.programmeType != 0) out += "pty=" + std::to_string(c.window.programmeType) + " ";
  if (c.state.ptyCode != "00") describeText(out, "ptyCode", c.state.ptyCode);
  if (c.window.decoderId != 1) out += "di=" + std::to_string(c.window.decoderId) + " ";
  if (c.state.diCode != "01") describeText(out, "diCode", c.state.diCode);
  describeFlag(out, "music", c.state.musicFlag, 1);
  describeFlag(out, "ta", c.state.taFlag, 0);
  describeFlag(out, "tp", c.state.tpFlag, 1);
  describeFlag(out, "gr4", c.state.group4A, 0);
  describeFlag(out, "gr1", c.state.group1A, 0);
  describeText(out, "psName", c.state.psName);
  describeText(out, "text1", c.state.radioText1);
  describeText(out, "text2", c.state.radioText2);
  if (!out.empty()) out.pop_back();
  return out;
}

std::string changesFrom(std::string_view bytes) {
  Console console;
  LineReader lines(bytes);
  readSettings(lines, console.state, console.window);
  return changes(console);
}

struct Case {
  std::string file;
  std::string effect;
};

void expectEffects(const std::vector<Case>& cases) {
  for (const auto& c : cases) EXPECT_EQ(changesFrom(c.file), c.effect) << c.file;
}

TEST(SettingsReader, WorkedExamples) {
  expectEffects({
      {"[CLIENT]SOCKET=0A000002@7000\r\n", "address=10.0.0.2 port=7000"},
      {"[CLIENT]SOCKET=7F000001@ 6969\r\n", ""},
      {"[CLIENT]SETPTY=0A\r\n", "pty=10 ptyCode=[0A]"},
      {"[CLIENT]SETDI=03\r\n", "di=3 diCode=[03]"},
      {"[CLIENT]SETBMS=0\r\n", "music=0"},
      {"[CLIENT]SETBTA=1\r\n", "ta=1"},
      {"[CLIENT]SETBTP=0\r\n", "tp=0"},
      {"[CLIENT]SETGR4=1\r\n", "gr4=1"},
      {"[CLIENT]setgr1=FF\r\n", "gr1=1"},
      {"[CLIENT]SETPSN=RADIO\r\n", "psName=[RADIO]"},
      {"[CLIENT]SETTXT1=Bom dia a todos\r\n", "text1=[Bom dia a todos]"},
      {"[CLIENT]SETTXT2=Musica sem parar\r\n", "text2=[Musica sem parar]"},
  });
}

TEST(SettingsReader, TagCommentAndKeyRules) {
  expectEffects({
      {"[CLIENT]\r\nSETPTY=05\r\n", ""},  // a header tags nothing after it
      {"[client]SETPTY=05\n", ""},
      {"[CLIENT]SetPty=05\n", "pty=5 ptyCode=[05]"},
      {"SETPTY=0A [CLIENT]\n", "pty=10 ptyCode=[0A [CLIENT]]"},  // the tag may stand in the value
      {";[CLIENT]SETPTY=05\n", ""},
      {" ;[CLIENT]SETPTY=05\n", "pty=5 ptyCode=[05]"},
      {"[CLIENT]SETPTY SETDI=05\n", "pty=5 ptyCode=[05]"},
      {"[CLIENT]SETTXT12=x\n", "text1=[x]"},
      {"[CLIENT]SETPSN\n", ""},
      {"[CLIENT]BOGUS=1\n", ""},
      {"[CLIENT]SETBTP=1\n[CLIENT]SETBTP=0\n", "tp=0"},
      {"[CLIENT]SETBTA=1\n[CLIENT]SETBTA=zz\n", "ta=1"},  // no number leaves the earlier one
  });
}

TEST(SettingsReader, ValuesKeepLeadingBlanksAndLoseTrimmedEnds) {
  expectEffects({
      {pt("[CLIENT]SETTXT1=Olá\r\n"), "text1=[Ol]"},
      {pt("[CLIENT]SETTXT1=Olá !\r\n"), pt("text1=[Olá !]")},
      {"[CLIENT]SETPSN=  RADIO   \r\n", "psName=[  RADIO]"},
      {"[CLIENT]SETPSN=Caf\xE9\t \r\x01\n", "psName=[Caf]"},
      {"[CLIENT]SETTXT1=A=B\n", "text1=[A=B]"},
      {"[CLIENT]SETDI= 3\n", "di=3 diCode=[ 3]"},
      {"[CLIENT]SETPTY=20\n", "pty=-1 ptyCode=[20]"},
      {"[CLIENT]SETPTY=FFFFFFFF\n", "pty=-1 ptyCode=[FFFFFFFF]"},
      {"[CLIENT]SETPTY=  0aZZ\n", "pty=10 ptyCode=[  0aZZ]"},
  });
}

TEST(SettingsReader, NumbersReadAsTheWorkstationsScanfDid) {
  expectEffects({
      {"[CLIENT]SOCKET=0A000002 @7000\n", ""},  // no blank before "@"
      {"[CLIENT]SOCKET=0A000002@\n", ""},
      {"[CLIENT]SOCKET=@7000\n", ""},
      {"[CLIENT]SOCKET= c0a80001@-1 x\n", "address=192.168.0.1 port=4294967295"},
      {"[CLIENT]SETGR4=-1\n", "gr4=1"},
      {"[CLIENT]SETBMS=100000000\n", "music=0"},  // cut to 32 bits, as glibc does
      {"[CLIENT]SETBMS=0x\n", "music=0"},
      {"[CLIENT]SETDI=x3\n", ""},
  });
}

TEST(SettingsReader, HostileBytes) {
  const std::string tail = "\n[CLIENT]SETPSN=B\n";
  expectEffects({
      {"", ""},
      {"[CLIENT]SETPSN=RADIO", "psName=[RADIO]"},  // no final line end
      {std::string("[CLIENT]SETPSN=AB\0CD\n", 21), "psName=[AB]"},
      {std::string("SETPSN=AB\0[CLIENT]\n", 19), ""},
      {"\r\r\r[CLIENT]SETPSN=A\r\r", "psName=[A]"},  // only CRs: one line
      {std::string(1 << 20, '\xFF') + tail, "psName=[B]"},
      {"[CLIENT]SETPSN=" + std::string(300, 'A') + "\n", "psName=[" + std::string(240, 'A') + "]"},
      {std::string(255, 'x') + "[CLIENT]SETPTY=07\n", "pty=7 ptyCode=[07]"},  // a piece of its own
      {std::string(100'000, '=') + "[CLIENT]", ""},
  });
}

TEST(SettingsFile, ReadFromTheFolderUnderAnyLetterCase) {
  test::TempDir dir;
  Console console;
  readSettings(dir.path(), console.state, console.window);
  EXPECT_EQ(changes(console), "");
  dir.write("def.ini", "[CLIENT]SETBTA=1\r\n");
  readSettings(dir.path(), console.state, console.window);
  EXPECT_EQ(changes(console), "ta=1");
}

TEST(SettingsFile, UnreadableFileOrDirectoryChangesNothing) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("DEF.INI"));
  Console console;
  readSettings(dir.path(), console.state, console.window);
  EXPECT_EQ(changes(console), "");

  test::TempDir other;
  other.write("DEF.INI", "[CLIENT]SETBTA=1\n");
  chmod(other.path().c_str(), 0755);
  chmod(other.file("DEF.INI").c_str(), 0);
  EXPECT_TRUE(test::runRestricted([] {},
                                  [&] {
                                    readSettings(other.path(), console.state, console.window);
                                    return changes(console).empty();
                                  }));
}

}  // namespace
}  // namespace orvane
