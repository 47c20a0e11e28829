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

TEST_F(UpdateActionsTest, ProgrammeUpdateWithoutGroup1AQueuesExactlyFourCommands) {
  console.window.programmeType = 10;
  state.group4A = 1;
  updates.programmeUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"GROUP4A=01", "GROUP1A=00", "PTY=0A", "ENCODE"}));
  EXPECT_EQ(state.busy, 1);
  EXPECT_EQ(state.queueActive, 1);
  EXPECT_TRUE(console.window.messages.empty());
}

TEST_F(UpdateActionsTest, ProgrammeUpdateReadsTheWindowFirstAndDisablesTheButtons) {
  updates.programmeUpdate();
  ASSERT_GE(console.window.calls.size(), 4U);
  EXPECT_EQ(console.window.calls[0], "toRecord");
  EXPECT_EQ(console.window.calls[1], "enable 1012 0");
  EXPECT_EQ(console.window.transfersToWindow, 0);
}

TEST_F(UpdateActionsTest, ProgrammeItemTimeComesFromDayAndHourMinute) {
  state.group1A = 1;
  state.pinDay = 31;
  state.pinTime = "7:5";
  updates.programmeUpdate();
  EXPECT_EQ(console.queuedCommands(),
            (Commands{"GROUP4A=00", "GROUP1A=01", "DEF1ATIME=1F+0705", "PTY=00", "ENCODE"}));
}

TEST_F(UpdateActionsTest, ABadTimeIsReportedAndTheRestOfTheBatchStillGoes) {
  struct Case {
    const char* time;
    bool syntax;
  };
  for (const Case c : {Case{"24:00", false}, Case{"12.30", true}, Case{"", true},
                       Case{"9 :15", true}, Case{"-1:30", false}}) {
    ConsoleHarness fresh;
    fresh.state.group1A = 1;
    fresh.state.pinTime = c.time;
    fresh.core.updates().programmeUpdate();
    ASSERT_EQ(fresh.window.messages.size(), 1U) << c.time;
    const auto& box = fresh.window.messages[0];
    EXPECT_EQ(box.text, c.syntax ? pt("A sintaxe de entrada do Horario de emissão não é válido.\n"
                                      " Insira com a sintaxe HH:MM")
                                 : pt("Valores de Horário de emissão inválidos."))
        << c.time;
    EXPECT_FALSE(box.title.has_value());
    EXPECT_EQ(box.style, message::kOk);
    EXPECT_EQ(fresh.queuedCommands(), (Commands{"GROUP4A=00", "GROUP1A=01", "PTY=00", "ENCODE"}))
        << c.time;
    EXPECT_EQ(fresh.state.busy, 1);
  }
}

TEST_F(UpdateActionsTest, WithoutAProgrammeTypeSelectionThereIsNoPtyCommand) {
  console.window.programmeType = -1;
  updates.programmeUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"GROUP4A=00", "GROUP1A=00", "ENCODE"}));
}

TEST_F(UpdateActionsTest, AFailedValidationDoesNotStopTheUpdate) {
  console.window.transferResult = false;
  state.pinDay = 32;
  state.group1A = 1;
  state.pinTime = "10:00";
  updates.programmeUpdate();
  EXPECT_EQ(console.queuedCommands()[2], "DEF1ATIME=20+0A00");
}

TEST_F(UpdateActionsTest, TextUpdateInNormalModeSendsBothLinesAndStopsTheRotation) {
  state.radioText1 = "Bom dia";
  state.radioText2 = "";
  state.psName = "RADIO";
  state.autoRotate = 1;
  state.charWarningShown = 1;
  updates.textUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"TXT0=\"Bom dia\"", "TXT1=\"\"", "ENCODE"}));
  EXPECT_EQ(state.autoRotate, 0);
  EXPECT_EQ(state.charWarningShown, 0);
  EXPECT_EQ(console.window.calls.front(), "toRecord");
  EXPECT_EQ(console.window.calls.back(), "toWindow");  // unchecks "Automatizar RTXT list"
  EXPECT_FALSE(console.window.isEnabled(control::kUpdateProgramme, true));
}

TEST_F(UpdateActionsTest, TextUpdateInAdvancedModeSendsTheServiceNameThird) {
  state.advancedMode = 1;
  state.radioText1 = "a";
  state.radioText2 = "b";
  state.psName = "RADIO";
  updates.textUpdate();
  EXPECT_EQ(console.queuedCommands(),
            (Commands{"TXT0=\"a\"", "TXT1=\"b\"", "PSN=\"RADIO\"", "ENCODE"}));
}

TEST_F(UpdateActionsTest, SpecialSettingsHaveNoEncodeAndLeaveTheButtonsAlone) {
  state.taFlag = 1;
  updates.specialUpdate();
  EXPECT_EQ(console.queuedCommands(), (Commands{"TA=01", "TP=01", "MS=01"}));
  EXPECT_EQ(state.busy, 1);
  EXPECT_EQ(console.window.calls, (std::vector<std::string>{"toRecord"}));
}

TEST_F(UpdateActionsTest, SpecialSettingsInAdvancedModeSendDecoderIdAndTimeFirst) {
  state.advancedMode = 1;
  state.diCode = "07";
  state.timeInPsFlag = 1;
  updates.specialUpdate();
  EXPECT_EQ(console.queuedCommands(),
            (Commands{"DI=07", "TIMEINPSN=01", "TA=00", "TP=01", "MS=01"}));
}

TEST_F(UpdateActionsTest, AServiceNameTooLongForACommandLineRefusesTheWholeUpdate) {
  state.advancedMode = 1;
  state.autoRotate = 1;
  state.psName = std::string(250, 'P');  // PSN="..." would need 256 characters
  updates.textUpdate();
  EXPECT_TRUE(state.sendQueue.empty());
  EXPECT_EQ(state.busy, 0);
  EXPECT_EQ(state.autoRotate, 1);
  ASSERT_EQ(console.window.messages.size(), 1U);
  EXPECT_NE(console.window.messages[0].text.find("PSN"), std::string::npos);

  state.psName = std::string(249, 'P');  // exactly 255 characters: fits
  updates.textUpdate();
  EXPECT_EQ(console.queuedCommands()[2].size(), kLineCapacity);
}

TEST_F(UpdateActionsTest, ADecoderIdTooLongForACommandLineRefusesTheSpecialSettings) {
  state.advancedMode = 1;
  state.diCode = std::string(300, '1');
  updates.specialUpdate();
  EXPECT_TRUE(state.sendQueue.empty());
  ASSERT_EQ(console.window.messages.size(), 1U);
  EXPECT_NE(console.window.messages[0].text.find("DI"), std::string::npos);
}

TEST_F(UpdateActionsTest, AnyBytesInTheTextsGoOutUnchanged) {
  console.connect();
  std::string hostile = "\"q\" \xE1\xFF\x80 ";
  state.radioText1 = hostile;
  updates.textUpdate();
  console.ticks(1);
  EXPECT_EQ(console.sentCommands()[0], "TXT0=\"" + hostile + "\"");
}

}  // namespace
}  // namespace orvane
