#pragma once

#include "MessageBoxService.h"

namespace orvane {

// The real message boxes (MessageBoxDialog), each in its own nested event loop, so ticks and
// socket notifications go on while it is open.
class QtMessageBoxService : public MessageBoxService {
 public:
  int show(const MessageBoxRequest& request) override;
  void beep() override;
};

}  // namespace orvane
