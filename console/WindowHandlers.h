#pragma once

#include "ConsoleState.h"
#include "ConsoleWindow.h"
#include "EncoderConnection.h"

namespace orvane {

// The handlers that belong to the console window alone: the two code lists, the
// special-character warning, the advanced-functions unlock and the way out of the program.
class WindowHandlers {
 public:
  WindowHandlers(ConsoleState& state, ConsoleWindow& window, EncoderConnection& connection)
      : state_(state), window_(window), connection_(connection) {}

  // A new programme type or decoder identification was picked: its index, as two hex digits,
  // becomes the code shown beside the list.
  void programmeTypeSelected();
  void decoderIdSelected();

  // RTXT1 or RTXT2 lost the focus: warn, once between two text updates, about bytes that many
  // receivers cannot show. The text is kept as it is.
  void radioTextLeft();

  // "Funções Avançadas": asks first; once unlocked, stays unlocked for the run.
  void unlockAdvancedFunctions();

  // "Sair do programa": false while a batch is being sent (the operator is told). Otherwise the
  // connection is closed and true lets the window end with its normal OK.
  bool mayLeave();

 private:
  // Reads the window, then (when the list has a selection) makes its index the code.
  void codeSelected(int (ConsoleWindow::*selection)() const, std::string& code);
  bool holdsSpecialCharacter(const std::string& text) const;

  ConsoleState& state_;
  ConsoleWindow& window_;
  EncoderConnection& connection_;
};

}  // namespace orvane
