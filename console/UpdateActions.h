#pragma once

#include <string>
#include <utility>
#include <vector>

#include "CommandQueue.h"
#include "ConsoleState.h"
#include "ConsoleWindow.h"

namespace orvane {

// The three "Actualizar" buttons: each reads the whole window into the record (and goes on
// whatever the validation said, with the record as the transfer left it) and queues one batch.
class UpdateActions {
 public:
  UpdateActions(ConsoleState& state, ConsoleWindow& window, CommandQueue& queue)
      : state_(state), window_(window), queue_(queue) {}

  // "Propriedades da emissão actual.": group switches, programme-item time, programme type.
  void programmeUpdate();
  // "Emissao textual": both radiotext lines, and the service name in advanced mode. Ends any
  // automatic rotation.
  void textUpdate();
  // "Configurações especiais": TA, TP, music/speech, and DI and time-in-PSN in advanced mode.
  // No ENCODE: the encoder applies these switches at once.
  void specialUpdate();

 private:
  // A command paired with the name of the field it carries, as the window labels it.
  using LabelledCommand = std::pair<std::string, std::string>;

  void queuePinTime();
  // Queues the commands in order when every one fits a command line; otherwise tells the
  // operator which field is too long and queues none of them.
  bool allFitOrRefuse(const std::vector<LabelledCommand>& commands);

  ConsoleState& state_;
  ConsoleWindow& window_;
  CommandQueue& queue_;
};

}  // namespace orvane
