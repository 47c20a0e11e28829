#pragma once

#include <algorithm>
#include <chrono>
#include <optional>

namespace orvane {

// After accept failed for want of resources (descriptors, memory), the listener is left out of
// poll for a while: the connection still waiting would wake the loop again at once, and the loop
// would spin.
class AcceptPause {
 public:
  static constexpr std::chrono::seconds kLength{1};

  void start() { until_ = std::chrono::steady_clock::now() + kLength; }

  // What to poll: `listener`, or -1 while the pause lasts.
  [[nodiscard]] int pollFd(int listener) {
    if (until_ && std::chrono::steady_clock::now() >= *until_) until_.reset();
    return until_ ? -1 : listener;
  }

  // Until the pause ends, as poll's timeout: -1 when there is none.
  [[nodiscard]] int leftMs() const {
    if (!until_) return -1;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*until_ - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<decltype(left.count())>(0, left.count()));
  }

 private:
  std::optional<std::chrono::steady_clock::time_point> until_;
};

}  // namespace orvane
