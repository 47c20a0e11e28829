#include "MessageBoxRecorder.h"

#include <QEventLoop>
#include <QTimer>
#include <utility>

#include "MessageStyle.h"

namespace orvane {
namespace {

int firstButtonOf(unsigned style) {
  const unsigned buttons = style & message::kButtonMask;
  return buttons == message::kButtonsYesNo || buttons == message::kButtonsYesNoCancel
             ? message::kAnswerYes
             : message::kAnswerOk;
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder() : previous_(MessageBoxService::install(this)) {}

MessageBoxRecorder::~MessageBoxRecorder() {
  MessageBoxService::install(previous_);
}

int MessageBoxRecorder::show(const MessageBoxRequest& request) {
  Box box{request.text, request.title, request.style, request.owner, true, 0};
  if (request.owner) box.ownerWindowEnabled = request.owner->window()->isEnabled();
  if (!answers.empty()) {
    box.answer = answers.front();
    answers.pop_front();
  } else {
    box.answer = firstButtonOf(request.style);
  }
  shown.push_back(box);
  if (whileOpen) whileOpen(box);
  if (holdUntil_) waitInNestedLoop();
  return box.answer;
}

void MessageBoxRecorder::holdNextOpen(std::function<bool()> until, int timeoutMs) {
  holdUntil_ = std::move(until);
  holdTimeoutMs_ = timeoutMs;
}

void MessageBoxRecorder::waitInNestedLoop() {
  const std::function<bool()> until = std::exchange(holdUntil_, nullptr);
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (until()) loop.quit();
  });
  check.start(1);
  QTimer::singleShot(holdTimeoutMs_, &loop, &QEventLoop::quit);
  if (!until()) loop.exec();
}

}  // namespace orvane
