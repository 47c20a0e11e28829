#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AirLog.h"
#include "ChangeLedger.h"
#include "EncoderState.h"
#include "KeptAgenda.h"
#include "PollTask.h"
#include "ScheduleClock.h"
#include "ScheduleEntry.h"

namespace orvane {

// The station's schedule on air. When an entry starts its values go on air like any door's
// change (the last change wins, the log says "(agenda)"); when it ends, each value it set comes
// back to what was on air before it, unless someone has changed that value since: an operator's
// correction during the morning show is theirs to keep. An entry already running when the
// schedule is given goes on air at once. A task of the poll loop, woken at the next change.
class AgendaDesk : public PollTask {
 public:
  using UnixClock = std::function<std::int64_t()>;  // microseconds of Unix time

  // The time is looked at again at least this often, so that a clock put back finds the right
  // entry within a minute.
  static constexpr int kRecheckMs = 60'000;

  AgendaDesk(EncoderState& state, AirLog& log, UnixClock clock = {});

  // Replaces the schedule (a reload). An entry that runs on unchanged stays on air untouched;
  // otherwise the one running ends and the one due now starts, as at its time.
  void setSchedule(std::vector<ScheduleEntry> entries);
  void recordChanges(ChangeLedger& ledger) { ledger_ = &ledger; }

  // The entry running and what it found on air, for the state file; none when none runs.
  [[nodiscard]] std::optional<KeptAgenda> kept() const;
  // Before the schedule is given, after a restart whose air holds `kept`'s entry: that entry
  // runs on (or ends, if it is no longer due) as though the encoder had never stopped.
  void resume(const KeptAgenda& kept);

  struct Health {
    std::optional<std::string> onAir;  // described; none: no entry runs
    std::optional<std::string> next;
    std::optional<std::int64_t> nextStartsMicros;  // Unix time
  };
  [[nodiscard]] Health health() const;

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  void turn(std::int64_t nowMicros);

  EncoderState& state_;
  AirLog& log_;
  UnixClock clock_;
  std::vector<ScheduleEntry> entries_;
  ScheduleMoment moment_;
  std::int64_t lookedAtMicros_ = 0;
  std::optional<ScheduleEntry> running_;
  OnAirState before_;  // what was on air when the running entry started
  OnAirState put_;     // what it put there
  ChangeLedger* ledger_ = nullptr;
};

}  // namespace orvane
