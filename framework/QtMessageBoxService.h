#pragma once

#include "MessageBoxService.h"

namespace orvane {

// The real message boxes: a QMessageBox in its own nested event loop, so ticks and socket
// notifications go on while it is open. The text is always plain text: server replies are
// shown in boxes, and markup in them must never be interpreted.
class QtMessageBoxService : public MessageBoxService {
 public:
  int show(const MessageBoxRequest& request) override;
  void beep() override;
};

}  // namespace orvane
