#include "ConsoleState.h"

namespace orvane {

void applyStartupValues(ConsoleState& state) {
  state.serverPort = kDefaultServerPort;
  state.pinTime = "00:00";
  state.psName.clear();
  state.ptyCode = "00";
  state.diCode = "01";
  state.pinDay = 1;
  state.musicFlag = 1;
  state.tpFlag = 1;
  state.taFlag = 0;
  state.timeInPsFlag = 0;
}

}  // namespace orvane
