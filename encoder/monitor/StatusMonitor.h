#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AirLog.h"
#include "AirReadBack.h"
#include "Alarms.h"
#include "ChangeLedger.h"
#include "PollTask.h"
#include "ServiceNotifier.h"
#include "SignalOutput.h"
#include "StatusSnapshot.h"
#include "UecpBridge.h"

namespace orvane {

// The encoder watching itself: a task of the poll loop that reads the read-back, the outputs, the
// UECP targets and the log, raises and ends the alarms, keeps systemd's watchdog fed, and tells
// its watchers (the event streams) whenever what it would show has changed. It only reads what
// the others keep, so it cannot slow the signal down beyond the cost of a look.
class StatusMonitor : public PollTask {
 public:
  // Alarms are looked at this often; a change of what goes on air is seen on the next turn.
  static constexpr std::int64_t kAlarmCheckMicros = 1'000'000;
  // Changes closer together than this go out as one event, so that a name running by frames or
  // a burst of log lines cannot flood the watchers.
  static constexpr std::int64_t kEventSpacingMicros = 100'000;
  // Watchers hear at least this often that the encoder is alive, also when nothing changes.
  static constexpr std::int64_t kHeartbeatMicros = 15'000'000;
  // A gap in the signal is over when it is seen, so its alarm holds this long for someone to see.
  static constexpr std::int64_t kGapAlarmMicros = 60'000'000;

  struct Sources {
    const AirReadBack* readBack = nullptr;  // none without a signal
    const SignalOutput* signal = nullptr;
    const UecpBridge* bridge = nullptr;
    const ChangeLedger* ledger = nullptr;
    const AirLog* log = nullptr;
    std::vector<std::pair<std::string, std::function<std::size_t()>>> doors;
    std::function<std::uint64_t()> uecpDatagramsDropped;  // none: no UECP listener over UDP
    std::function<KeptAirHealth()> keptAir;               // none: no state is kept
    std::function<TrafficTimeBound::Health()> traffic;
    std::function<ScheduleStatus()> schedule;  // none: no schedule is given
    std::function<ConfigStatus()> config;      // none: no configuration file
  };

  struct Clocks {
    std::function<std::int64_t()> monotonicMicros;
    std::function<std::int64_t()> unixMicros;
    std::function<bool()> clockSynchronised;
  };

  struct Watcher {
    std::function<void(const std::string& statusJson)> changed;
    std::function<void()> heartbeat;
  };

  StatusMonitor(Sources sources, AlarmSettings settings, Clocks clocks, AirLog& log,
                ServiceNotifier* notifier = nullptr);

  void setWatcher(Watcher watcher) { watcher_ = std::move(watcher); }
  // A door whose clients are counted, by its name; a reload's door takes its old one's place.
  void addDoor(std::string name, std::function<std::size_t()> clients) {
    removeDoor(name);
    sources_.doors.emplace_back(std::move(name), std::move(clients));
  }
  void removeDoor(std::string_view name) {
    std::erase_if(sources_.doors, [name](const auto& door) { return door.first == name; });
  }
  // A reload may bring the first UECP targets.
  void watchBridge(const UecpBridge* bridge) { sources_.bridge = bridge; }

  // The state file and the TA bound, which are opened before the monitor and outlive it.
  void watchKeeping(std::function<KeptAirHealth()> keptAir,
                    std::function<TrafficTimeBound::Health()> traffic) {
    sources_.keptAir = std::move(keptAir);
    sources_.traffic = std::move(traffic);
  }

  void watchSchedule(std::function<ScheduleStatus()> schedule) {
    sources_.schedule = std::move(schedule);
  }

  void watchConfig(std::function<ConfigStatus()> config) { sources_.config = std::move(config); }
  // A reload's alarm bounds, looked at from the next check on.
  void setAlarmSettings(AlarmSettings settings) { settings_ = settings; }

  [[nodiscard]] StatusSnapshot snapshot() const;

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled = {}) override;

 private:
  void checkAlarms(std::int64_t now);
  void noteText(std::int64_t now);
  void noteGap(std::int64_t now);
  void tellWatchers(std::int64_t now);
  [[nodiscard]] std::string serviceStatus() const;
  [[nodiscard]] std::uint64_t news() const;

  Sources sources_;
  AlarmSettings settings_;
  Clocks clocks_;
  AirLog& log_;
  ServiceNotifier* notifier_;
  Watcher watcher_;
  AlarmBook alarms_;
  std::int64_t startMono_;
  std::int64_t startUnix_;
  std::int64_t nextAlarmCheck_ = 0;
  std::int64_t lastEvent_ = 0;
  std::int64_t lastHeartbeat_ = 0;
  std::uint64_t newsTold_ = 0;  // news() when the watchers were last told
  std::uint64_t alarmChanges_ = 0;
  std::int64_t textSeenAt_ = -1;             // the read-back's last change of radiotext, as seen
  std::optional<std::int64_t> textChanged_;  // monotonic time it was seen to change
  std::uint64_t gapsSeen_ = 0;
  std::optional<std::int64_t> gapSeenAt_;  // monotonic
};

}  // namespace orvane
