#include "EncoderConnection.h"

#include <cstdio>
#include <cstring>

#include "ConsoleMessages.h"
#include "ControlId.h"
#include "LineBuffer.h"

namespace orvane {
namespace {

std::string dottedQuad(std::uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFU, (address >> 16) & 0xFFU,
                (address >> 8) & 0xFFU, address & 0xFFU);
  return text;
}

}  // namespace

void EncoderConnection::connect() {
  storeLine(state_.lineBuffer, dottedQuad(window_.serverAddress()));
  const bool created = link_.create();
  // A port the record may hold after a failed validation (0, or beyond 65535) would be cut to
  // 16 bits and reach some other service; such a connect fails at once instead.
  const bool portUsable = state_.serverPort >= 1 && state_.serverPort <= kLastTcpPort;
  const bool started = created && portUsable &&
                       link_.connect(std::string(lineText(state_.lineBuffer)), state_.serverPort);
  window_.enableControl(control::kConnect, false);
  // Without this the operator would be left with both "Conectar" and "Fechar" greyed for good.
  if (!started) connectComplete(-1);
}

void EncoderConnection::connectComplete(int errorCode) {
  if (errorCode != 0) {
    showMessage(window_, messages::connectFailed());
    closeProcedure();
    return;
  }
  state_.connected = 1;
  window_.enableControl(control::kDisconnect, true);
  window_.enableControl(control::kConnect, false);
  queue_.setUpdateButtons(true);
}

void EncoderConnection::closeProcedure() {
  (void)window_.transferToRecord();
  state_.connected = 0;
  window_.enableControl(control::kDisconnect, false);
  window_.enableControl(control::kConnect, true);
  queue_.setUpdateButtons(false);
  state_.busy = 0;
  state_.queueActive = 0;
  queue_.clear();
  state_.autoRotate = 0;
  (void)window_.transferToWindow();
  link_.close();
  receivePaused_ = false;
}

void EncoderConnection::receiveText() {
  const long received = link_.receive(state_.receiveBuffer.data(), kReceiveChunk);
  if (received < 0) return;
  state_.receiveBuffer[static_cast<std::size_t>(received)] = '\0';
  std::string text(state_.receiveBuffer.data(),
                   strnlen(state_.receiveBuffer.data(), kReceiveChunk));
  if (!replyBoxOpen_) {
    showReplies(std::move(text));
    return;
  }
  pendingReply_ += text;
  if (pendingReply_.size() >= kPendingReplyLimit && !receivePaused_) {
    receivePaused_ = true;
    link_.setReceivePaused(true);
  }
}

void EncoderConnection::showReplies(std::string text) {
  replyBoxOpen_ = true;
  showMessage(window_, messages::serverReply(std::move(text)));
  while (!pendingReply_.empty()) {
    std::string next = std::move(pendingReply_);
    pendingReply_.clear();
    if (receivePaused_) {
      receivePaused_ = false;
      link_.setReceivePaused(false);
    }
    showMessage(window_, messages::serverReply(std::move(next)));
  }
  replyBoxOpen_ = false;
}

}  // namespace orvane
