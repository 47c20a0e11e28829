#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

// What the encoder watches for an operator who is not looking at its log.
enum class AlarmKind {
  StaleText,
  TargetDown,
  SignalStalled,
  ClockUnsynchronised,
  StateNotKept,
  TrafficTimedOut,
  SignalGap,
  ConfigRefused,
  NoPilot,
  SoundCardDown,
  SoundCardXruns
};

// Names for the page, the status and the metrics: stable, since scripts match on them.
[[nodiscard]] std::string_view alarmKindName(AlarmKind kind);

struct Alarm {
  AlarmKind kind;
  std::string subject;  // the target's or the card's name; empty otherwise
  std::string message;  // Portuguese, for the log and the page
  bool operator==(const Alarm&) const = default;
};

// What the alarms are decided from, read at one moment.
struct AlarmInputs {
  std::optional<std::int64_t> textUnchangedMicros;  // none before any radiotext went out
  std::vector<std::pair<std::string, std::int64_t>> targetsDownMicros;  // only those down
  bool signalStalled = false;
  bool clockTimeOnAir = false;  // 4A groups go out, so a wrong system clock is on receivers
  bool clockSynchronised = true;
  std::string stateProblem;  // why the air is not kept; empty when it is
  bool trafficTimedOut = false;
  bool signalGapRecently = false;  // the loop left a gap in the signal within the last minute
  std::string configProblem;       // why the last reload was refused; empty when it was not
  bool pilotMissing = false;       // a loop-through's input has no pilot to lock to
  // Sound cards by device name: those that cannot be used now, with why; those whose underruns or
  // overruns came back after they had stopped.
  std::vector<std::pair<std::string, std::string>> cardsDown;
  std::vector<std::string> cardsWithRepeatedXruns;
};

struct AlarmSettings {
  std::optional<std::int64_t> staleMicros;  // none: a text that never changes is not a fault
  std::int64_t targetDownMicros = 0;
};

// The alarms that hold now, in a fixed order.
[[nodiscard]] std::vector<Alarm> currentAlarms(const AlarmInputs& inputs,
                                               const AlarmSettings& settings);

// The alarms that hold, with when each began, and the log lines of each start and end: an alarm
// is logged twice, never once per look.
class AlarmBook {
 public:
  struct Raised {
    Alarm alarm;
    std::int64_t sinceUnixMicros = 0;
  };

  // Takes the alarms that hold now and returns the log lines for what started or ended.
  std::vector<std::string> update(const std::vector<Alarm>& now, std::int64_t unixMicros);

  [[nodiscard]] std::vector<Raised> raised() const;
  [[nodiscard]] bool any() const { return !raised_.empty(); }

 private:
  // By kind and subject: a target's alarm that changes its wording is still the same alarm.
  std::map<std::pair<AlarmKind, std::string>, Raised> raised_;
};

}  // namespace orvane
