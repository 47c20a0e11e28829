#pragma once

#include <optional>
#include <string>

namespace orvane {

// A message box the console shows: text, title (none means the application's title) and style.
struct ConsoleMessage {
  std::string text;
  std::optional<std::string> title;
  unsigned style = 0;
};

// The console's own messages, in the workstation's code page. Operators know them by heart and
// station documentation quotes them, so their wording, line breaks and spelling are kept as is.
namespace messages {
ConsoleMessage pinTimeSyntax();
ConsoleMessage pinTimeRange();
ConsoleMessage connectFailed();
ConsoleMessage serverReply(std::string text);
ConsoleMessage specialCharacters();
ConsoleMessage advancedFunctionsQuestion();
ConsoleMessage exitWhileBusy();
// An update refused because one field would not fit a command line.
ConsoleMessage fieldTooLong(const std::string& fieldName);
}  // namespace messages

}  // namespace orvane

#include "ConsoleWindow.h"

namespace orvane {
inline int showMessage(ConsoleWindow& window, const ConsoleMessage& message) {
  return window.showMessage(message.text, message.title, message.style);
}
}  // namespace orvane
