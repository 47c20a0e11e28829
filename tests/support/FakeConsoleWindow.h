#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ConsoleWindow.h"

namespace orvane::test {

// A console window without widgets: it records what the console logic asks of it and answers
// message boxes from a script.
class FakeConsoleWindow : public ConsoleWindow {
 public:
  struct Message {
    std::string text;
    std::optional<std::string> title;
    unsigned style = 0;
  };

  bool transferToRecord() override;
  bool transferToWindow() override;
  void enableControl(int controlId, bool enabled) override;
  int showMessage(const std::string& text, const std::optional<std::string>& title,
                  unsigned style) override;
  int programmeTypeSelection() const override { return programmeType; }
  void selectProgrammeType(int index) override;
  int decoderIdSelection() const override { return decoderId; }
  void selectDecoderId(int index) override;
  std::uint32_t serverAddress() const override { return address; }
  void setServerAddress(std::uint32_t value) override { address = value; }

  // Enabled state of a control; controls never touched count as `fallback`.
  bool isEnabled(int controlId, bool fallback = false) const;

  // What the fake does and has seen.
  bool transferResult = true;
  int transfersToRecord = 0;
  int transfersToWindow = 0;
  std::vector<std::string> calls;  // "toRecord", "toWindow", "enable 1012 0", "message ..."
  std::map<int, bool> enabled;
  std::vector<Message> messages;
  std::deque<int> answers;  // answers to the next boxes; OK (1) when empty
  int programmeType = 0;
  int decoderId = 1;
  std::uint32_t address = 0;
};

}  // namespace orvane::test
