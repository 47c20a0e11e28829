#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Cp1252.h"
#include "FakeConsoleWindow.h"
#include "SettingsReader.h"

namespace orvane {
namespace {

// The console just before the settings file is read, as the window's initialisation leaves it,
// except for a port of 0, so that every SOCKET line shows.
struct Console {
  Console() {
    applyStartupValues(state);
    state.serverPort = 0;
  }
  ConsoleState state;
  test::FakeConsoleWindow window;
};

// What the file changed, in a fixed order, so that a table row states its whole effect.
std::string changes(const Console& c) {
  const Console start;
  std::ostringstream out;
  const auto note = [&out](const char* name, const auto& now, const auto& before) {
    if (now != before) out << " " << name << "=[" << now << "]";
  };
  if (c.window.address != start.window.address)
    out << " address=[" << std::hex << std::uppercase << c.window.address << std::dec << "]";
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
  return out.str().substr(out.str().empty() ? 0 : 1);
}

// Every key word is read through the real window in the console's own start-up test.
TEST(SettingsReader, WhichLinesCountAndWhatTheirValuesKeep) {
  const std::pair<std::string, std::string> cases[] = {
      {"[CLIENT]\r\nSETPTY=05\r\n[client]SETPTY=06\n", ""},        // a header tags nothing after it
      {"SETPTY=0A [CLIENT]\n", "pty=[10] ptyCode=[0A [CLIENT]]"},  // the tag may stand in the value
      {";[CLIENT]SETPTY=05\n ;[CLIENT]SETDI=05\n", "di=[5] diCode=[05]"},
      {"[CLIENT]SETPTY SETDI=05\n", "pty=[5] ptyCode=[05]"},
      {"[CLIENT]SETBTP=1\n[CLIENT]SETBTP=0\n", "tp=[0]"},
      {"[CLIENT]SETBTA=2\n[CLIENT]SETBMS=0\n[CLIENT]SETBMS=FF\n", "ta=[1]"},  // any but 0 is on
      {pt("[CLIENT]SETTXT1=Olá\r\n"), "text1=[Ol]"},
      {pt("[CLIENT]SETTXT1=Olá !\r\n"), pt("text1=[Olá !]")},
      {"[CLIENT]SETPSN=  RADIO   \r\n", "psName=[  RADIO]"},
      {"[CLIENT]SETTXT1=A=B", "text1=[A=B]"},  // no final line end
      {"[CLIENT]SETDI= 3\n", "di=[3] diCode=[ 3]"},
      {"[CLIENT]SETPTY=20\n", "pty=[-1] ptyCode=[20]"},
      // Lines without their number, or without "=", change nothing.
      {"[CLIENT]SOCKET=0A000002@\n[CLIENT]SETDI=x3\n[CLIENT]SETBMS=zz\n", ""},
      {"[CLIENT]SETPSN=A\n[CLIENT]SETPSN\n", "psName=[A]"},
      // 255 bytes to a piece, the rest a line of its own; a NUL ends the text of its piece.
      {"[CLIENT]SETPSN=" + std::string(240, 'A') + "[CLIENT]SETPTY=07\n",
       "pty=[7] ptyCode=[07] psName=[" + std::string(240, 'A') + "]"},
      {std::string("[CLIENT]SETTXT2=AB\0CD\n", 22), "text2=[AB]"},
  };
  for (const auto& [file, effect] : cases) {
    Console console;
    LineReader lines(file);
    readSettings(lines, console.state, console.window);
    EXPECT_EQ(changes(console), effect) << file;
  }
}

}  // namespace
}  // namespace orvane
