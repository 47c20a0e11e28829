#pragma once

#include "ConsoleWindow.h"

namespace orvane::test {

// A console window that takes everything and shows nothing, for benchmarks and fuzzers.
class NullConsoleWindow : public ConsoleWindow {
 public:
  bool transferToRecord() override { return true; }
  bool transferToWindow() override { return true; }
  void enableControl(int, bool) override {}
  int showMessage(const std::string&, const std::optional<std::string>&, unsigned) override {
    return 1;
  }
  int programmeTypeSelection() const override { return 0; }
  void selectProgrammeType(int) override {}
  int decoderIdSelection() const override { return 1; }
  void selectDecoderId(int) override {}
  std::uint32_t serverAddress() const override { return 0x7F000001; }
  void setServerAddress(std::uint32_t) override {}
};

}  // namespace orvane::test
