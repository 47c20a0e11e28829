#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "MessageBoxService.h"

namespace orvane {

// A message-box service for tests: records every box and beep and answers from a script, so no
// test waits on a real modal box. Installs itself for its lifetime.
//
//   MessageBoxRecorder boxes;
//   boxes.answers.push_back(message::kAnswerNo);
//   ...
//   EXPECT_EQ(boxes.shown.at(0).text, "Please enter a positive integer.");
class MessageBoxRecorder : public MessageBoxService {
 public:
  struct Box {
    std::string text;
    std::string title;
    unsigned style = 0;
    QPointer<QWidget> owner;
    bool ownerWindowEnabled = true;  // the owner's window, as the box found it
    int answer = 0;
  };

  MessageBoxRecorder();
  ~MessageBoxRecorder() override;
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  int show(const MessageBoxRequest& request) override;
  void beep() override { ++beeps; }

  // Keeps the next box open in a real nested event loop until `until` holds (checked as events
  // arrive), or for at most `timeoutMs`; then answers it from the script. For tests that need
  // ticks or socket notifications to arrive while a box is open.
  void holdNextOpen(std::function<bool()> until, int timeoutMs = 5000);

  std::vector<Box> shown;
  std::deque<int> answers;  // the next answers; empty: the first button of the box
  int beeps = 0;
  // Runs while each box is "open", after it was recorded.
  std::function<void(const Box&)> whileOpen;

 private:
  void waitInNestedLoop();

  MessageBoxService* previous_;
  std::function<bool()> holdUntil_;
  int holdTimeoutMs_ = 0;
};

}  // namespace orvane
