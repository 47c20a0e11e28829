#include <gtest/gtest.h>

#include "ConsoleHarness.h"
#include "Cp1252.h"
#include "MessageStyle.h"
#include "WindowHandlers.h"

namespace orvane {
namespace {

using test::ConsoleHarness;
using Calls = std::vector<std::string>;

class WindowHandlersTest : public ::testing::Test {
 protected:
  ConsoleHarness console;
  WindowHandlers& handlers = console.core.handlers();
  ConsoleState& state = console.state;
};

TEST_F(WindowHandlersTest, ASelectedCodeIsShownAsTwoHexDigitsEvenWhileAFieldIsInvalid) {
  console.window.programmeType = 31;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "1F");
  console.window.decoderId = 7;
  handlers.decoderIdSelected();
  EXPECT_EQ(state.diCode, "07");

  console.window.transferResult = false;
  console.window.programmeType = 10;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "0A");
  EXPECT_EQ(console.window.calls.back(), "toWindow");

  console.window.programmeType = -1;  // no selection: the code keeps its text
  const int writes = console.window.transfersToWindow;
  handlers.programmeTypeSelected();
  EXPECT_EQ(state.ptyCode, "0A");
  EXPECT_EQ(console.window.transfersToWindow, writes);
}

TEST_F(WindowHandlersTest, TheSpecialCharacterWarningComesOnceBetweenTwoTextUpdates) {
  state.radioText2 = pt("Informação");
  handlers.radioTextLeft();
  handlers.radioTextLeft();
  ASSERT_EQ(console.window.messages.size(), 1U);
  EXPECT_EQ(console.window.messages[0].text, pt("Caracteres especiais não devem ser usados."));
  EXPECT_EQ(console.window.messages[0].title, pt("ATENÇÃO - Possível perda de informação"));
  EXPECT_EQ(console.window.messages[0].style, message::kOkInformation);
  EXPECT_EQ(state.radioText2, pt("Informação"));  // the operator may keep and send it

  console.core.updates().textUpdate();
  handlers.radioTextLeft();
  EXPECT_EQ(console.window.messages.size(), 2U);

  ConsoleHarness plain;
  plain.state.radioText1 = "ASCII ~ only \x7F";
  plain.core.handlers().radioTextLeft();
  EXPECT_TRUE(plain.window.messages.empty());
}

TEST_F(WindowHandlersTest, TheAdvancedFunctionsAskFirstAndEnableTheirControlsInOrder) {
  console.window.answers = {message::kAnswerNo, message::kAnswerYes};
  handlers.unlockAdvancedFunctions();
  EXPECT_EQ(state.advancedMode, 0);
  EXPECT_EQ(console.window.calls, (Calls{"message"}));
  EXPECT_EQ(console.window.messages[0].style, message::kYesNoQuestion);

  handlers.unlockAdvancedFunctions();
  EXPECT_EQ(state.advancedMode, 1);
  EXPECT_EQ(console.window.calls, (Calls{"message", "message", "enable 1023 0", "enable 1016 1",
                                         "enable 1022 1", "enable 1024 1"}));
}

TEST_F(WindowHandlersTest, LeavingIsRefusedWhileABatchIsBeingSentThenClosesTheConnection) {
  EXPECT_TRUE(handlers.mayLeave());  // never connected: no close procedure
  EXPECT_EQ(console.link.closes, 0);

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

}  // namespace
}  // namespace orvane
