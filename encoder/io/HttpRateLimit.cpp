#include "HttpRateLimit.h"

#include <iterator>

namespace orvane {

void HttpRateLimit::roll(Window& window, std::int64_t nowMicros) {
  if (nowMicros - window.start >= kWindowMicros || nowMicros < window.start) {
    window = {nowMicros, 0};
  }
}

void HttpRateLimit::forgetIdle(std::int64_t nowMicros) {
  for (auto it = clients_.begin(); it != clients_.end();) {
    it = nowMicros - it->second.start >= kWindowMicros ? clients_.erase(it) : std::next(it);
  }
}

bool HttpRateLimit::admit(const std::string& client, std::int64_t nowMicros) {
  roll(all_, nowMicros);
  if (all_.count >= overall_) return false;
  auto found = clients_.find(client);
  if (found == clients_.end()) {
    if (clients_.size() >= kMaxTrackedClients) forgetIdle(nowMicros);
    if (clients_.size() >= kMaxTrackedClients) return false;
    found = clients_.emplace(client, Window{nowMicros, 0}).first;
  }
  Window& own = found->second;
  roll(own, nowMicros);
  if (own.count >= perClient_) return false;
  ++own.count;
  ++all_.count;
  return true;
}

}  // namespace orvane
