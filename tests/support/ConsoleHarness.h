#pragma once

#include <string>
#include <vector>

#include "ConsoleCore.h"
#include "FakeConsoleWindow.h"
#include "FakeEncoderLink.h"
#include "FakeRadiotextSource.h"

namespace orvane::test {

// A console core wired to fakes, started the way the window starts it.
struct ConsoleHarness {
  FakeConsoleWindow window;
  FakeEncoderLink link;
  FakeRadiotextSource list;
  ConsoleCore core{window, link, list};
  ConsoleState& state = core.state();

  ConsoleHarness() {
    applyStartupValues(state);
    core.resetControlState();
    core.resetRotation();
  }

  void ticks(int count) {
    for (int i = 0; i < count; ++i) core.tick().onTick();
  }

  // Connects through the fake socket, as a successful "Conectar" would.
  void connect() {
    core.connection().connect();
    core.connection().connectComplete(0);
  }

  // The commands that went out, without their line feeds; a send without one is kept whole.
  std::vector<std::string> sentCommands() const {
    std::vector<std::string> commands;
    for (const auto& bytes : link.sent) {
      commands.push_back(!bytes.empty() && bytes.back() == '\n' ? bytes.substr(0, bytes.size() - 1)
                                                                : bytes);
    }
    return commands;
  }

  // The commands waiting in the queue, split at their separators.
  std::vector<std::string> queuedCommands() const {
    std::vector<std::string> commands;
    std::string current;
    for (const char c : state.sendQueue) {
      if (c == CommandQueue::kSeparator) {
        commands.push_back(current);
        current.clear();
      } else {
        current += c;
      }
    }
    return commands;
  }
};

}  // namespace orvane::test
