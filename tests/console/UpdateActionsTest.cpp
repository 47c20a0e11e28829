#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "MessageStyle.h"
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

TEST_F(UpdateActionsTest, ProgrammeUpdateReadsTheWindowAndQueuesItsCommandsInOrder) {
  console.window.programmeType = 10;
  state.group4A = 1;
  updates.programmeUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"GROUP4A=01", "GROUP1A=00", "PTY=0A", "ENCODE"}));
  EXPECT_EQ(console.window.calls[0], "toRecord");
  EXPECT_EQ(console.window.calls[1], "enable 1012 0");
  EXPECT_EQ(console.window.transfersToWindow, 0);
  EXPECT_EQ(state.busy, 1);

  ConsoleHarness timed;                 // with group 1A, the programme-item time from day and HH:MM
  timed.window.transferResult = false;  // a failed validation does not stop the update
  timed.state.group1A = 1;
  timed.state.pinDay = 31;
  timed.state.pinTime = "7:5";
  timed.window.programmeType = -1;  // no selection: no PTY command
  timed.core.updates().programmeUpdate();
  EXPECT_EQ(timed.queuedCommands(),
            (Commands{"GROUP4A=00", "GROUP1A=01", "DEF1ATIME=1F+0705", "ENCODE"}));
}

TEST_F(UpdateActionsTest, ABadTimeIsReportedAndTheRestOfTheBatchStillGoes) {
  const std::string syntax =
      pt("A sintaxe de entrada do Horario de emissão não é válido.\n"
         " Insira com a sintaxe HH:MM");
  const std::string range = pt("Valores de Horário de emissão inválidos.");
  for (const auto& [time, text] :
       std::vector<std::pair<std::string, std::string>>{{"24:00", range},
                                                        {"-1:30", range},
                                                        {"12.30", syntax},
                                                        {"", syntax},
                                                        {"9 :15", syntax}}) {
    ConsoleHarness fresh;
    fresh.state.group1A = 1;
    fresh.state.pinTime = time;
    fresh.core.updates().programmeUpdate();
    ASSERT_EQ(fresh.window.messages.size(), 1U) << time;
    EXPECT_EQ(fresh.window.messages[0].text, text) << time;
    EXPECT_FALSE(fresh.window.messages[0].title.has_value());
    EXPECT_EQ(fresh.window.messages[0].style, message::kOk);
    EXPECT_EQ(fresh.queuedCommands(), (Commands{"GROUP4A=00", "GROUP1A=01", "PTY=00", "ENCODE"}));
  }
}

TEST_F(UpdateActionsTest, TextUpdateSendsBothLinesStopsTheRotationAndAddsPsnWhenUnlocked) {
  state.radioText1 = "Bom dia";
  state.psName = "RADIO";
  state.autoRotate = 1;
  state.charWarningShown = 1;
  updates.textUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"TXT0=\"Bom dia\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.autoRotate, 0);
  EXPECT_EQ(state.charWarningShown, 0);
  EXPECT_EQ(console.window.calls.back(), "toWindow");  // unchecks "Automatizar RTXT list"
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
  EXPECT_EQ(console.window.calls, (Commands{"toRecord"}));

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
