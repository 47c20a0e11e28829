#pragma once

#include "CommandQueue.h"
#include "ConsoleState.h"
#include "ConsoleTick.h"
#include "ConsoleWindow.h"
#include "EncoderConnection.h"
#include "EncoderLink.h"
#include "RadiotextSource.h"
#include "Rotation.h"
#include "UpdateActions.h"
#include "WindowHandlers.h"

namespace orvane {

// Everything the console does, without its widgets: the record and the parts that act on it.
// The console window owns one, forwards its events here and implements ConsoleWindow for it.
class ConsoleCore {
 public:
  ConsoleCore(ConsoleWindow& window, EncoderLink& link, RadiotextSource& list)
      : queue_(state_, window, link),
        rotation_(state_, list, queue_),
        tick_(state_, window, queue_, rotation_),
        updates_(state_, window, queue_),
        connection_(state_, window, link, queue_),
        handlers_(state_, window, connection_) {}

  ConsoleCore(const ConsoleCore&) = delete;
  ConsoleCore& operator=(const ConsoleCore&) = delete;

  ConsoleState& state() { return state_; }
  const ConsoleState& state() const { return state_; }

  CommandQueue& queue() { return queue_; }
  ConsoleTick& tick() { return tick_; }
  UpdateActions& updates() { return updates_; }
  EncoderConnection& connection() { return connection_; }
  WindowHandlers& handlers() { return handlers_; }

  // What the console resets once its window shows the start-up values: nothing is being sent,
  // nothing is unlocked, and the rotation starts from the beginning of the list.
  void resetControlState();
  void resetRotation();

 private:
  ConsoleState state_;
  CommandQueue queue_;
  Rotation rotation_;
  ConsoleTick tick_;
  UpdateActions updates_;
  EncoderConnection connection_;
  WindowHandlers handlers_;
};

}  // namespace orvane
