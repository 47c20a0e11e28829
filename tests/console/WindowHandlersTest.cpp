#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "MessageStyle.h"
#include "WindowHandlers.h"

namespace orvane {
namespace {

using test::ConsoleHarness;

class WindowHandlersTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  WindowHandlers& handlers = console.core.handlers();
  ConsoleState& state = console.state;
};

TEST_F(WindowHandlersTest, ASelectedCodeIsShownAsTwoHexDigits) {
  console.window.programmeType = 31;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "1F");
  console.window.programmeType = 10;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "0A");
  EXPECT_EQ(console.window.calls.back(), "toWindow");

  console.window.decoderId = 7;
  handlers.decoderIdSelected();
  EXPECT_EQ(state.diCode, "07");
}

TEST_F(WindowHandlersTest, WithoutASelectionTheCodeKeepsItsTextAndNothingIsWrittenBack) {
  state.ptyCode = "20";
  console.window.programmeType = -1;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "20");
  EXPECT_EQ(console.window.transfersToWindow, 0);
}

TEST_F(WindowHandlersTest, ASelectionMadeWhileAFieldIsInvalidStillShowsTheNewCode) {
  console.window.transferResult = false;
  console.window.programmeType = 5;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "05");
  EXPECT_EQ(console.window.transfersToWindow, 1);
}

TEST_F(WindowHandlersTest, TheSpecialCharacterWarningComesOnceBetweenTwoTextUpdates) {
  state.radioText1 = pt("Informação");
  handlers.radioTextLeft();
  ASSERT_EQ(console.window.messages.size(), 1U);
  EXPECT_EQ(console.window.messages[0].text, pt("Caracteres especiais não devem ser usados."));
  EXPECT_EQ(console.window.messages[0].title, pt("ATENÇÃO - Possível perda de informação"));
  EXPECT_EQ(console.window.messages[0].style, message::kOkInformation);

  handlers.radioTextLeft();
  handlers.radioTextLeft();
  EXPECT_EQ(console.window.messages.size(), 1U);
  EXPECT_EQ(state.radioText1, pt("Informação"));  // the operator may keep and send it

  console.core.updates().textUpdate();
  handlers.radioTextLeft();
  EXPECT_EQ(console.window.messages.size(), 2U);
}

TEST_F(WindowHandlersTest, EitherRadiotextLineCanTriggerTheWarning) {
  state.radioText2 = "\x80";
  handlers.radioTextLeft();
  EXPECT_EQ(console.window.messages.size(), 1U);

  ConsoleHarness plain;
  plain.state.radioText1 = "ASCII ~ only \x7F";
  plain.core.handlers().radioTextLeft();
  EXPECT_TRUE(plain.window.messages.empty());
}

TEST_F(WindowHandlersTest, UnlockAnsweredNoChangesNothing) {
  console.window.answers = {message::kAnswerNo};
  handlers.unlockAdvancedFunctions();
  EXPECT_EQ(state.advancedMode, 0);
  EXPECT_TRUE(console.window.enabled.empty());
  ASSERT_EQ(console.window.messages.size(), 1U);
  EXPECT_EQ(console.window.messages[0].title, pt("ATENÇÃO : Importante !"));
  EXPECT_EQ(console.window.messages[0].style, message::kYesNoQuestion);
}

TEST_F(WindowHandlersTest, UnlockAnsweredYesEnablesTheAdvancedControlsInOrder) {
  console.window.answers = {message::kAnswerYes};
  handlers.unlockAdvancedFunctions();
  EXPECT_EQ(state.advancedMode, 1);
  EXPECT_EQ(console.window.calls,
            (std::vector<std::string>{"message", "enable 1023 0", "enable 1016 1", "enable 1022 1",
                                      "enable 1024 1"}));
}

TEST_F(WindowHandlersTest, LeavingIsRefusedWhileABatchIsBeingSent) {
  console.connect();
  console.core.updates().specialUpdate();
  EXPECT_FALSE(handlers.mayLeave());
  ASSERT_EQ(console.window.messages.size(), 1U);
  EXPECT_EQ(console.window.messages[0].title, pt("Tentativa de encerramento falhada."));
  EXPECT_EQ(state.connected, 1);

  console.ticks(4);  // three commands, then the tick that finds the queue empty
  EXPECT_TRUE(handlers.mayLeave());
  EXPECT_EQ(state.connected, 0);
  EXPECT_EQ(console.link.closes, 1);
}

TEST_F(WindowHandlersTest, LeavingANeverConnectedConsoleSkipsTheCloseProcedure) {
  EXPECT_TRUE(handlers.mayLeave());
  EXPECT_EQ(console.link.closes, 0);
  EXPECT_EQ(console.window.transfersToRecord, 0);
}

}  // namespace
}  // namespace orvane
