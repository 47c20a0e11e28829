#include "TrafficTimeBound.h"

#include <algorithm>
#include <climits>

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;

}  // namespace

TrafficTimeBound::TrafficTimeBound(EncoderState& state, AirLog& log, std::int64_t boundMicros,
                                   Clock clock)
    : state_(state),
      log_(log),
      boundMicros_(boundMicros),
      clock_(std::move(clock)),
      givenSeen_(state.trafficAnnouncementsGiven()) {
  follow(clock_());
}

std::optional<std::int64_t> TrafficTimeBound::endsAt() const {
  return state_.onAir().trafficAnnouncement ? endsAt_ : std::nullopt;
}

void TrafficTimeBound::setBound(std::int64_t boundMicros) {
  boundMicros_ = boundMicros;
  if (endsAt_) endsAt_ = clock_() + boundMicros_;
}

void TrafficTimeBound::resume(std::int64_t endsAt) {
  givenSeen_ = state_.trafficAnnouncementsGiven();
  endsAt_ = endsAt;
}

void TrafficTimeBound::follow(std::int64_t now) {
  if (!state_.onAir().trafficAnnouncement) {
    endsAt_.reset();
    givenSeen_ = state_.trafficAnnouncementsGiven();
    return;
  }
  if (!endsAt_ || state_.trafficAnnouncementsGiven() != givenSeen_) {
    endsAt_ = now + boundMicros_;
    givenSeen_ = state_.trafficAnnouncementsGiven();
  }
}

TrafficTimeBound::Health TrafficTimeBound::health() const {
  const std::int64_t now = clock_();
  const std::int64_t hold = std::max(boundMicros_, kExpiryAlarmHoldMicros);
  Health health{boundMicros_, {}, expiries_, lastExpiry_ && now - *lastExpiry_ < hold};
  if (const auto ends = endsAt()) health.leftMicros = std::max<std::int64_t>(0, *ends - now);
  return health;
}

PollTask::Wait TrafficTimeBound::wait() {
  follow(clock_());
  Wait wait;
  if (!endsAt_) return wait;
  const std::int64_t left = std::max<std::int64_t>(0, *endsAt_ - clock_());
  wait.timeoutMs = static_cast<int>(
      std::min<std::int64_t>(INT_MAX, (left + kMicrosPerMilli - 1) / kMicrosPerMilli));
  return wait;
}

bool TrafficTimeBound::service(std::span<const pollfd>) {
  const std::int64_t now = clock_();
  follow(now);
  if (!endsAt_ || now < *endsAt_) return true;
  OnAirState next = state_.onAir();
  next.trafficAnnouncement = false;
  AssignedFields fields;
  fields.set(OnAirField::TrafficFlags);
  (void)state_.replaceOnAir(next, fields);
  endsAt_.reset();
  ++expiries_;
  lastExpiry_ = now;
  log_.write("TA desligado: esteve ligado mais de " +
             std::to_string(boundMicros_ / kMicrosPerSecond) +
             " s sem ser renovado (--ta-timeout, TATIME)");
  return true;
}

}  // namespace orvane
