#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace orvane {

// How many requests each client, and all of them together, may make in one second. A playout
// announces a song every few minutes; a client far beyond its share is broken or hostile, and
// must not take the loop's time from the signal and the other doors. Pure: the caller gives the
// time, so a test can step it.
class HttpRateLimit {
 public:
  static constexpr std::int64_t kWindowMicros = 1'000'000;
  // Clients remembered at most; past it, those whose second is over are forgotten first, and a
  // flood of new addresses is held by the overall limit.
  static constexpr std::size_t kMaxTrackedClients = 4096;

  HttpRateLimit(unsigned perClient, unsigned overall) : perClient_(perClient), overall_(overall) {}

  // Counts one request of `client` at `nowMicros`; false when it is over either limit, and is
  // then not counted, so that a refused flood does not hold the client back once it stops.
  [[nodiscard]] bool admit(const std::string& client, std::int64_t nowMicros);

 private:
  struct Window {
    std::int64_t start = 0;
    unsigned count = 0;
  };

  static void roll(Window& window, std::int64_t nowMicros);
  void forgetIdle(std::int64_t nowMicros);

  unsigned perClient_;
  unsigned overall_;
  Window all_;
  std::unordered_map<std::string, Window> clients_;
};

}  // namespace orvane
