#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "ChildProcess.h"
#include "Cp1252.h"
#include "FakeConsoleWindow.h"
#include "SettingsReader.h"
#include "TempDir.h"

namespace orvane {
namespace {

// The console just before the settings file is read, as the window's initialisation leaves it,
// except for an address and port of 0, so that every SOCKET line shows.
struct Console {
  Console() {
    applyStartupValues(state);
    state.serverPort = 0;
  }
  ConsoleState state;
  test::FakeConsoleWindow window;
};

std::string hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// What the file changed, in a fixed order, so that a table row states its whole effect.
std::string changes(const Console& c) {
  const Console start;
  std::ostringstream out;
  const auto note = [&out](const char* name, const auto& now, const auto& before) {
    if (now != before) out << name << "=[" << now << "] ";
  };
  note("address", hex8(c.window.address), hex8(start.window.address));
  note("port", c.state.serverPort, start.state.serverPort);
  note("pty", c.window.programmeType, start.window.programmeType);
  note("ptyCode", c.state.ptyCode, start.state.ptyCode);
  note("di", c.window.decoderId, start.window.decoderId);
  note("diCode", c.state.diCode, start.state.diCode);
  note("music", c.state.musicFlag, start.state.musicFlag);
  note("ta", c.state.taFlag, start.state.taFlag);
  note("tp", c.state.tpFlag, start.state.tpFlag);
  note("gr4", c.state.group4A, start.state.group4A);
  note("gr1", c.state.group1A, start.state.group1A);
  note("psName", c.state.psName, start.state.psName);
  note("text1", c.state.radioText1, start.state.radioText1);
  note("text2", c.state.radioText2, start.state.radioText2);
  std::string text = out.str();
  if (!text.empty()) text.pop_back();
  return text;
}

std::string changesFrom(std::string_view bytes) {
  Console console;
  LineReader lines(bytes);
  readSettings(lines, console.state, console.window);
  return changes(console);
}

// Rows of a file's bytes and their whole effect.
void expectEffects(const std::vector<std::pair<std::string, std::string>>& cases) {
  for (const auto& [file, effect] : cases) EXPECT_EQ(changesFrom(file), effect) << file;
}

TEST(SettingsReader, WorkedExamples) {
  expectEffects({
      {"[CLIENT]SOCKET=0A000002@7000\r\n", "address=[0A000002] port=[7000]"},
      {"[CLIENT]SOCKET=7F000001@ 6969\r\n", "address=[7F000001] port=[6969]"},
      {"[CLIENT]SETPTY=0A\r\n", "pty=[10] ptyCode=[0A]"},
      {"[CLIENT]SETDI=03\r\n", "di=[3] diCode=[03]"},
      {"[CLIENT]SETBMS=0\r\n", "music=[0]"},
      {"[CLIENT]SETBTA=1\r\n", "ta=[1]"},
      {"[CLIENT]SETBTP=0\r\n", "tp=[0]"},
      {"[CLIENT]SETGR4=1\r\n", "gr4=[1]"},
      {"[CLIENT]setgr1=FF\r\n", "gr1=[1]"},
      {"[CLIENT]SETPSN=RADIO\r\n", "psName=[RADIO]"},
      {"[CLIENT]SETTXT1=Bom dia a todos\r\n", "text1=[Bom dia a todos]"},
      {"[CLIENT]SETTXT2=Musica sem parar\r\n", "text2=[Musica sem parar]"},
  });
}

TEST(SettingsReader, TagCommentAndKeyRules) {
  expectEffects({
      {"[CLIENT]\r\nSETPTY=05\r\n", ""},  // a header tags nothing after it
      {"[client]SETPTY=05\n", ""},
      {"[CLIENT]SetPty=05\n", "pty=[5] ptyCode=[05]"},
      {"SETPTY=0A [CLIENT]\n", "pty=[10] ptyCode=[0A [CLIENT]]"},  // the tag may stand in the value
      {";[CLIENT]SETPTY=05\n", ""},
      {" ;[CLIENT]SETPTY=05\n", "pty=[5] ptyCode=[05]"},
      {"[CLIENT]SETPTY SETDI=05\n", "pty=[5] ptyCode=[05]"},
      {"[CLIENT]SETTXT12=x\n", "text1=[x]"},
      {"[CLIENT]SETBTP=1\n[CLIENT]SETBTP=0\n", "tp=[0]"},
  });
}

TEST(SettingsReader, ValuesKeepLeadingBlanksAndLoseTrimmedEnds) {
  expectEffects({
      {pt("[CLIENT]SETTXT1=Olá\r\n"), "text1=[Ol]"},
      {pt("[CLIENT]SETTXT1=Olá !\r\n"), pt("text1=[Olá !]")},
      {"[CLIENT]SETPSN=  RADIO   \r\n", "psName=[  RADIO]"},
      {"[CLIENT]SETPSN=Caf\xE9\t \r\x01\n", "psName=[Caf]"},
      {"[CLIENT]SETTXT1=A=B\n", "text1=[A=B]"},
      {"[CLIENT]SETDI= 3\n", "di=[3] diCode=[ 3]"},
      {"[CLIENT]SETPTY=20\n", "pty=[-1] ptyCode=[20]"},
      {"[CLIENT]SETPTY=  0aZZ\n", "pty=[10] ptyCode=[  0aZZ]"},
  });
}

TEST(SettingsReader, LinesWithoutTheirNumbersChangeNothing) {
  expectEffects({
      {"[CLIENT]SOCKET=0A000002 @7000\n", ""},  // no blank before "@"
      {"[CLIENT]SOCKET=0A000002@\n", ""},
      {"[CLIENT]SOCKET= c0a80001@-1 x\n", "address=[C0A80001] port=[4294967295]"},
      {"[CLIENT]SETDI=x3\n", ""},
      {"[CLIENT]SETBTA=1\n[CLIENT]SETBTA=zz\n", "ta=[1]"},
      {"[CLIENT]SETPSN=A\n[CLIENT]SETPSN\n", "psName=[A]"},  // no "=", no value
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
      {std::string(255, 'x') + "[CLIENT]SETPTY=07\n",
       "pty=[7] ptyCode=[07]"},  // a piece of its own
  });
}

TEST(SettingsFile, FoundUnderAnyLetterCaseAndHarmlessWhenMissingOrUnreadable) {
  test::TempDir dir;
  Console console;
  readSettings(dir.path(), console.state, console.window);
  std::filesystem::create_directory(dir.file("DEF.INI"));
  readSettings(dir.path(), console.state, console.window);
  EXPECT_EQ(changes(console), "");

  test::TempDir other;
  other.write("def.ini", "[CLIENT]SETBTA=1\r\n");
  chmod(other.path().c_str(), 0755);
  chmod(other.file("def.ini").c_str(), 0);
  EXPECT_TRUE(test::runRestricted([] {},
                                  [&] {
                                    readSettings(other.path(), console.state, console.window);
                                    return changes(console).empty();
                                  }));
  chmod(other.file("def.ini").c_str(), 0644);
  readSettings(other.path(), console.state, console.window);
  EXPECT_EQ(changes(console), "ta=[1]");
}

}  // namespace
}  // namespace orvane
