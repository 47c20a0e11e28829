#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "AirLog.h"
#include "EncoderState.h"
#include "PollTask.h"

namespace orvane {

// Switches off a traffic announcement left on longer than its bound: receivers interrupt the
// listener's own music for it, so a TA that a playout forgot to clear must not stay for ever. A TA
// still running is renewed by sending TA=1 again, which starts the bound afresh.
class TrafficTimeBound : public PollTask {
 public:
  using Clock = std::function<std::int64_t()>;  // monotonic microseconds
  static constexpr std::int64_t kExpiryAlarmHoldMicros = 60'000'000;

  TrafficTimeBound(EncoderState& state, AirLog& log, std::int64_t boundMicros, Clock clock);

  // When the TA on air switches itself off; none when it is off.
  [[nodiscard]] std::optional<std::int64_t> endsAt() const;
  // A reload: a TA switched on from now on has this bound; one on air keeps its end.
  void setBound(std::int64_t boundMicros) { boundMicros_ = boundMicros; }
  // After a restart: the restored TA ends when its bound would have.
  void resume(std::int64_t endsAt);
  // Times a TA was switched off by its bound, since the start.
  [[nodiscard]] std::uint64_t expiries() const { return expiries_; }
  struct Health {
    std::int64_t boundMicros = 0;
    std::optional<std::int64_t> leftMicros;  // until the TA on air switches itself off
    std::uint64_t expiries = 0;
    // A TA was switched off by its bound within the last bound's length, and never less than
    // kExpiryAlarmHoldMicros: the alarm holds, so that an operator who was not looking learns that
    // a playout forgot it, and a short bound cannot fall between two of the monitor's checks.
    bool recentlyExpired = false;
  };
  [[nodiscard]] Health health() const;

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled = {}) override;

 private:
  void follow(std::int64_t now);

  EncoderState& state_;
  AirLog& log_;
  std::int64_t boundMicros_;
  Clock clock_;
  std::optional<std::int64_t> endsAt_;
  std::uint64_t givenSeen_ = 0;
  std::uint64_t expiries_ = 0;
  std::optional<std::int64_t> lastExpiry_;
};

}  // namespace orvane
