#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EncoderState.h"
#include "PollTask.h"
#include "TimedServiceName.h"
#include "UecpTarget.h"

namespace orvane {

// Orvane's on-air state, mirrored to peer encoders over UECP: a task of the server's poll loop
// that looks at the state after every turn of the loop, so that a change goes out the moment it
// goes on air here (flags at once, texts at ENCODE), and steps the timed service name and the
// hourly clock setting between changes.
class UecpBridge : public PollTask {
 public:
  struct Clocks {
    std::function<std::int64_t()> monotonicMicros;
    std::function<std::int64_t()> unixMicros;
    std::function<int(std::int64_t unixSeconds)> localOffsetMinutes;
  };

  // `texts`, when given, holds texts as UECP clients sent them (see UecpTextMemory).
  UecpBridge(const EncoderState& state, Clocks clocks, const UecpTextMemory* texts = nullptr);

  // Builds its target's clock readings from the bridge's clocks, so `target` is made here.
  void addTarget(UecpTargetSetting setting, AirLog& log);
  // A reload's list: a target given before keeps its link untouched, one no longer given is let
  // go (named in the log), a new one makes its first attempt at once.
  void setTargets(const std::vector<UecpTargetSetting>& settings, AirLog& log);

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

  // From now on the task is over as soon as every target holds the state, or at `byMicros` of
  // the monotonic clock, whichever comes first.
  void finishBy(std::int64_t byMicros) { finishBy_ = byMicros; }

  [[nodiscard]] std::vector<UecpTarget::Health> health() const;

  // The targets that do not hold the whole state yet.
  [[nodiscard]] std::vector<std::string> lagging() const;

 private:
  void refreshWanted(std::int64_t monotonicMicros, std::int64_t unixMicros);
  [[nodiscard]] UecpClock clockAt(std::int64_t unixMicros) const;

  const EncoderState& state_;
  Clocks clocks_;
  const UecpTextMemory* texts_;
  TimedServiceName serviceName_;
  std::vector<UecpTarget> targets_;
  // What the peers should hold, and the state's count for each field it was made from: a field's
  // elements are made again only when that count or the name's frame moved. A client's text is
  // remembered in the same turn as the change that put it on air, so it needs no count of its own.
  UecpWanted wanted_;
  std::array<std::optional<std::uint64_t>, kOnAirFieldCount> madeFrom_;
  std::string frame_;
  std::optional<std::int64_t> hour_;  // the UTC hour the clocks were last set in
  std::optional<std::int64_t> finishBy_;
};

}  // namespace orvane
