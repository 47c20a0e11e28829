#include "WindowHandlers.h"

#include <algorithm>

#include "CommandFormat.h"
#include "ConsoleMessages.h"
#include "ControlId.h"
#include "LineBuffer.h"
#include "MessageStyle.h"

namespace orvane {
namespace {
constexpr unsigned char kFirstSpecialByte = 0x80;
}  // namespace

void WindowHandlers::programmeTypeSelected() {
  codeSelected(&ConsoleWindow::programmeTypeSelection, state_.ptyCode);
}

void WindowHandlers::decoderIdSelected() {
  codeSelected(&ConsoleWindow::decoderIdSelection, state_.diCode);
}

void WindowHandlers::codeSelected(int (ConsoleWindow::*selection)() const, std::string& code) {
  (void)window_.transferToRecord();
  const int index = (window_.*selection)();
  if (index < 0) return;
  storeLine(state_.lineBuffer, hexByte(static_cast<std::uint32_t>(index)));
  code = lineText(state_.lineBuffer);
  (void)window_.transferToWindow();
}

bool WindowHandlers::holdsSpecialCharacter(const std::string& text) const {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= kFirstSpecialByte; });
}

void WindowHandlers::radioTextLeft() {
  (void)window_.transferToRecord();
  if (!holdsSpecialCharacter(state_.radioText1) && !holdsSpecialCharacter(state_.radioText2)) {
    return;
  }
  if (state_.charWarningShown != 0) return;
  // Marked before the box opens, so that a focus change while it is open cannot show a second.
  state_.charWarningShown = 1;
  showMessage(window_, messages::specialCharacters());
}

void WindowHandlers::unlockAdvancedFunctions() {
  if (showMessage(window_, messages::advancedFunctionsQuestion()) == message::kAnswerNo) return;
  state_.advancedMode = 1;
  window_.enableControl(control::kAdvancedFunctions, false);
  window_.enableControl(control::kPsName, true);
  window_.enableControl(control::kTimeInPsFlag, true);
  window_.enableControl(control::kDecoderIdList, true);
}

bool WindowHandlers::mayLeave() {
  if (state_.busy == 1) {
    showMessage(window_, messages::exitWhileBusy());
    return false;
  }
  if (state_.connected == 1) connection_.closeProcedure();
  return true;
}

}  // namespace orvane
