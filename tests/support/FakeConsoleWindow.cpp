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

int FakeConsoleWindow::showMessage(const std::string& text, const std::optional<std::string>& title,
                                   unsigned style) {
  messages.push_back({text, title, style});
  return message::kAnswerOk;
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
