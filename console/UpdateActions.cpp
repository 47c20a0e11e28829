#include "UpdateActions.h"

#include "CommandFormat.h"
#include "ConsoleMessages.h"
#include "LineBuffer.h"
#include "PinTimeScan.h"

namespace orvane {

void UpdateActions::programmeUpdate() {
  (void)window_.transferToRecord();
  queue_.setUpdateButtons(false);
  queue_.append(group4ACommand(state_.group4A));
  queue_.append(group1ACommand(state_.group1A));
  if (state_.group1A == 1) queuePinTime();
  const int programmeType = window_.programmeTypeSelection();
  if (programmeType >= 0) queue_.append(programmeTypeCommand(programmeType));
  queue_.append(kEncodeCommand);
  queue_.startBatch();
}

void UpdateActions::queuePinTime() {
  const PinTime time = scanPinTime(state_.pinTime);
  switch (time.result) {
    case PinTime::Result::badSyntax:
      showMessage(window_, messages::pinTimeSyntax());
      return;
    case PinTime::Result::outOfRange:
      showMessage(window_, messages::pinTimeRange());
      return;
    case PinTime::Result::valid:
      queue_.append(pinTimeCommand(state_.pinDay, time.hour, time.minute));
      return;
  }
}

void UpdateActions::textUpdate() {
  (void)window_.transferToRecord();
  std::vector<LabelledCommand> commands = {{"RTXT1", radioText0Command(state_.radioText1)},
                                           {"RTXT2", radioText1Command(state_.radioText2)}};
  if (state_.advancedMode == 1) commands.emplace_back("PSN", psNameCommand(state_.psName));
  if (!allFitOrRefuse(commands)) return;

  state_.charWarningShown = 0;
  queue_.setUpdateButtons(false);
  state_.autoRotate = 0;
  for (const auto& [field, command] : commands) queue_.append(command);
  queue_.append(kEncodeCommand);
  queue_.startBatch();
  (void)window_.transferToWindow();
}

void UpdateActions::specialUpdate() {
  (void)window_.transferToRecord();
  std::vector<LabelledCommand> commands;
  if (state_.advancedMode == 1) {
    commands.emplace_back("DI", decoderIdCommand(state_.diCode));
    commands.emplace_back("Hora em PSN", timeInPsCommand(state_.timeInPsFlag));
  }
  commands.emplace_back("Enable Bit TA", trafficAnnouncementCommand(state_.taFlag));
  commands.emplace_back("Enable Bit TP", trafficProgrammeCommand(state_.tpFlag));
  commands.emplace_back("Music", musicSpeechCommand(state_.musicFlag));
  if (!allFitOrRefuse(commands)) return;

  for (const auto& [field, command] : commands) queue_.append(command);
  queue_.startBatch();
}

bool UpdateActions::allFitOrRefuse(const std::vector<LabelledCommand>& commands) {
  for (const auto& [field, command] : commands) {
    if (!fitsLine(command)) {
      showMessage(window_, messages::fieldTooLong(field));
      return false;
    }
  }
  return true;
}

}  // namespace orvane
