#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ConsoleWindow.h"

namespace orvane::test {

// A console window without widgets: it records what the console logic asks of it and answers
// every message box with OK.
class FakeConsoleWindow : public ConsoleWindow {
 public:
  struct Message {
    std::string text;
    std::optional<std::string> title;
    unsigned style = 0;
  };

  bool transferToRecord() override {
    ++transfersToRecord;
    return transferResult;
  }
  bool transferToWindow() override {
    ++transfersToWindow;
    return true;
  }
  void enableControl(int controlId, bool on) override { enabled[controlId] = on; }
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
  std::map<int, bool> enabled;
  std::vector<Message> messages;
  int programmeType = 0;
  int decoderId = 1;
  std::uint32_t address = 0;
};

}  // namespace orvane::test
