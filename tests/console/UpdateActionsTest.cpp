#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "UpdateActions.h"

namespace orvane {
namespace {

using test::ConsoleHarness;
using Commands = std::vector<std::string>;

class UpdateActionsTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  UpdateActions& updates = console.core.updates();
  ConsoleState& state = console.state;
};

// A time the scanner refuses is reported, and the batch goes without it.
TEST_F(UpdateActionsTest, ProgrammeUpdateQueuesTheProgrammeItemTimeOnlyWithGroup1A) {
  const std::string syntax =
      pt("A sintaxe de entrada do Horario de emissão não é válido.\n Insira com a sintaxe HH:MM");
  const std::string range = pt("Valores de Horário de emissão inválidos.");
  const std::tuple<std::int32_t, std::string, int, std::string, Commands> cases[] = {
      {0, "99:99", 3, "", {"GROUP4A=01", "GROUP1A=00", "PTY=03", "ENCODE"}},
      {1, "7:5", -1, "", {"GROUP4A=01", "GROUP1A=01", "DEF1ATIME=1F+0705", "ENCODE"}},
      {1, "24:00", 0, range, {"GROUP4A=01", "GROUP1A=01", "PTY=00", "ENCODE"}},
      {1, "12.30", 0, syntax, {"GROUP4A=01", "GROUP1A=01", "PTY=00", "ENCODE"}},
  };
  for (const auto& [group1A, time, programmeType, report, commands] : cases) {
    ConsoleHarness fresh;
    fresh.window.transferResult = false;         // a failed validation does not stop the update
    fresh.window.programmeType = programmeType;  // -1: no selection, no PTY command
    fresh.state.group4A = 1;
    fresh.state.group1A = group1A;
    fresh.state.pinDay = 31;
    fresh.state.pinTime = time;
    fresh.core.updates().programmeUpdate();
    EXPECT_EQ(fresh.queuedCommands(), commands) << time;
    EXPECT_EQ(fresh.window.messages.empty() ? "" : fresh.window.messages[0].text, report);
  }
}

TEST_F(UpdateActionsTest, TextUpdateSendsBothLinesStopsTheRotationAndAddsPsnWhenUnlocked) {
  state.radioText1 = "Bom dia";
  state.psName = "RADIO";
  state.autoRotate = 1;
  updates.textUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"TXT0=\"Bom dia\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.autoRotate, 0);
  EXPECT_EQ(console.window.transfersToWindow, 1);  // unchecks "Automatizar RTXT list"
  EXPECT_FALSE(console.window.isEnabled(control::kUpdateProgramme, true));

  ConsoleHarness advanced;
  advanced.state.advancedMode = 1;
  advanced.state.psName = "RADIO";
  advanced.core.updates().textUpdate();
  EXPECT_EQ(advanced.queuedCommands(),
            (Commands{"TXT0=\"\"", "TXT1=\"\"", "PSN=\"RADIO\"", "ENCODE"}));
}

TEST_F(UpdateActionsTest, SpecialSettingsHaveNoEncodeAndLeaveTheButtonsAlone) {
  state.taFlag = 1;
  updates.specialUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"TA=01", "TP=01", "MS=01"}));
  EXPECT_EQ(state.busy, 1);
  EXPECT_TRUE(console.window.enabled.empty());

  ConsoleHarness advanced;
  advanced.state.advancedMode = 1;
  advanced.state.diCode = "07";
  advanced.state.timeInPsFlag = 1;
  advanced.core.updates().specialUpdate();
  EXPECT_EQ(advanced.queuedCommands(),
            (Commands{"DI=07", "TIMEINPSN=01", "TA=00", "TP=01", "MS=01"}));
}

TEST_F(UpdateActionsTest, AFieldTooLongForACommandLineRefusesTheWholeUpdate) {
  state.advancedMode = 1;
  state.autoRotate = 1;
  state.psName = std::string(250, 'P');  // PSN="..." would need 256 characters
  updates.textUpdate();
  state.diCode = std::string(300, '1');
  updates.specialUpdate();
  EXPECT_TRUE(state.sendQueue.empty());
  EXPECT_EQ(state.busy, 0);
  EXPECT_EQ(state.autoRotate, 1);
  ASSERT_EQ(console.window.messages.size(), 2U);
  EXPECT_NE(console.window.messages[0].text.find("PSN"), std::string::npos);
  EXPECT_NE(console.window.messages[1].text.find("DI"), std::string::npos);

  state.psName = std::string(249, 'P');  // exactly 255 characters: fits
  updates.textUpdate();
  EXPECT_EQ(console.queuedCommands()[2].size(), kLineCapacity);
}

}  // namespace
}  // namespace orvane
