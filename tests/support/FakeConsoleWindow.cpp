#include "FakeConsoleWindow.h"

#include "MessageStyle.h"

namespace orvane::test {
namespace {
constexpr int kProgrammeTypeEntries = 32;
constexpr int kDecoderIdEntries = 8;

int selectionWithin(int index, int entries) {
  return index >= 0 && index < entries ? index : -1;
}
}  // namespace

bool FakeConsoleWindow::transferToRecord() {
  ++transfersToRecord;
  calls.push_back("toRecord");
  return transferResult;
}

bool FakeConsoleWindow::transferToWindow() {
  ++transfersToWindow;
  calls.push_back("toWindow");
  return true;
}

void FakeConsoleWindow::enableControl(int controlId, bool on) {
  enabled[controlId] = on;
  calls.push_back("enable " + std::to_string(controlId) + (on ? " 1" : " 0"));
}

int FakeConsoleWindow::showMessage(const std::string& text, const std::optional<std::string>& title,
                                   unsigned style) {
  messages.push_back({text, title, style});
  calls.push_back("message");
  if (answers.empty()) return message::kAnswerOk;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakeConsoleWindow::selectProgrammeType(int index) {
  programmeType = selectionWithin(index, kProgrammeTypeEntries);
}

void FakeConsoleWindow::selectDecoderId(int index) {
  decoderId = selectionWithin(index, kDecoderIdEntries);
}

bool FakeConsoleWindow::isEnabled(int controlId, bool fallback) const {
  const auto found = enabled.find(controlId);
  return found == enabled.end() ? fallback : found->second;
}

}  // namespace orvane::test
