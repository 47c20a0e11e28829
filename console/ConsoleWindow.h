#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// What the console logic needs of its window. The Qt console dialog implements it; tests use a
// fake that records every call.
class ConsoleWindow {
 public:
  virtual ~ConsoleWindow() = default;

  // Moves every operator value from the controls into the record, validating as it goes.
  // False when a step failed; the operator has then already been told.
  virtual bool transferToRecord() = 0;
  // Moves every operator value from the record into the controls.
  virtual bool transferToWindow() = 0;

  // True while a transfer is under way, which includes the time its validation report is open.
  virtual bool isTransferring() const { return false; }

  virtual void enableControl(int controlId, bool enabled) = 0;

  // A message box owned by the window. No title means the application's title. Returns the
  // button pressed (message::kAnswerOk, kAnswerYes, kAnswerNo).
  virtual int showMessage(const std::string& text, const std::optional<std::string>& title,
                          unsigned style) = 0;

  // Selection index of the programme-type list 1000 and the decoder-identification list 1024;
  // -1 when nothing is selected. Selecting an index outside the list clears the selection.
  virtual int programmeTypeSelection() const = 0;
  virtual void selectProgrammeType(int index) = 0;
  virtual int decoderIdSelection() const = 0;
  virtual void selectDecoderId(int index) = 0;

  // The IP-address control 1010, as one value whose highest byte is the leftmost field.
  virtual std::uint32_t serverAddress() const = 0;
  virtual void setServerAddress(std::uint32_t address) = 0;
};

}  // namespace orvane
