#include "StatusMonitor.h"

#include <algorithm>

#include "StatusJson.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::size_t kStatusTextLength = 64;

int millisUntil(std::int64_t when, std::int64_t now) {
  return static_cast<int>((std::max<std::int64_t>(0, when - now) + kMicrosPerMilli - 1) /
                          kMicrosPerMilli);
}

// What the signal's own health says: a reader that stalled, a pilot gone, a card away or failing.
void signalAlarms(const SignalOutput::Health& health, AlarmInputs& inputs) {
  inputs.signalStalled = health.stalled;
  inputs.pilotMissing = health.loopThrough && !health.loopThrough->pilotPresent;
  for (const auto& card : health.cards) {
    if (!card.open) inputs.cardsDown.emplace_back(card.device, card.problem);
    if (card.xrunsRepeating) inputs.cardsWithRepeatedXruns.push_back(card.device);
  }
}

}  // namespace

StatusMonitor::StatusMonitor(Sources sources, AlarmSettings settings, Clocks clocks, AirLog& log,
                             ServiceNotifier* notifier)
    : sources_(std::move(sources)),
      settings_(settings),
      clocks_(std::move(clocks)),
      log_(log),
      notifier_(notifier),
      startMono_(clocks_.monotonicMicros()),
      startUnix_(clocks_.unixMicros()),
      lastHeartbeat_(startMono_) {}

StatusSnapshot StatusMonitor::snapshot() const {
  StatusSnapshot status;
  status.unixMicros = clocks_.unixMicros();
  status.upMicros = clocks_.monotonicMicros() - startMono_;
  if (sources_.readBack) status.air = sources_.readBack->view();
  if (sources_.signal) status.signal = sources_.signal->health();
  for (std::size_t i = 0; sources_.ledger && i < status.sources.size(); ++i) {
    status.sources[i] = sources_.ledger->last(static_cast<ChangeSource>(i));
  }
  if (sources_.bridge) status.targets = sources_.bridge->health();
  for (const auto& [door, count] : sources_.doors) status.doorClients.emplace_back(door, count());
  if (sources_.uecpDatagramsDropped) status.uecpDatagramsDropped = sources_.uecpDatagramsDropped();
  if (sources_.keptAir) status.keptAir = sources_.keptAir();
  if (sources_.traffic) status.traffic = sources_.traffic();
  if (sources_.schedule) status.schedule = sources_.schedule();
  if (sources_.config) status.config = sources_.config();
  status.alarms = alarms_.raised();
  if (sources_.log) {
    status.logLinesDropped = sources_.log->droppedTotal();
    status.logLinesSuppressed = sources_.log->suppressedTotal();
    status.recentLog.assign(sources_.log->recent().begin(), sources_.log->recent().end());
  }
  return status;
}

PollTask::Wait StatusMonitor::wait() {
  const std::int64_t now = clocks_.monotonicMicros();
  std::int64_t next = std::min(nextAlarmCheck_, lastHeartbeat_ + kHeartbeatMicros);
  if (news() != newsTold_) next = std::min(next, lastEvent_ + kEventSpacingMicros);
  if (notifier_ && notifier_->watchdogMicros() > 0) {
    next = std::min(next, now + notifier_->watchdogMicros() / 2);
  }
  if (notifier_ && notifier_->owing()) {
    next = std::min(next, now + ServiceNotifier::kRetryMs * kMicrosPerMilli);
  }
  Wait wait;
  wait.timeoutMs = millisUntil(next, now);
  return wait;
}

bool StatusMonitor::service(std::span<const pollfd>) {
  const std::int64_t now = clocks_.monotonicMicros();
  noteText(now);
  if (now >= nextAlarmCheck_) checkAlarms(now);
  tellWatchers(now);
  if (notifier_) {
    notifier_->alive(now);
    notifier_->status(serviceStatus());
  }
  return true;
}

// The radiotext counts as refreshed when what goes out changes, whichever door changed it.
void StatusMonitor::noteText(std::int64_t now) {
  if (!sources_.readBack) return;
  const AirView& air = sources_.readBack->view();
  if (!air.radiotext[0].complete && !air.radiotext[1].complete) return;
  if (sources_.readBack->radiotextChangedAt() != textSeenAt_ || !textChanged_) {
    textSeenAt_ = sources_.readBack->radiotextChangedAt();
    textChanged_ = now;
  }
}

void StatusMonitor::checkAlarms(std::int64_t now) {
  nextAlarmCheck_ = now + kAlarmCheckMicros;
  AlarmInputs inputs;
  if (textChanged_) inputs.textUnchangedMicros = now - *textChanged_;
  if (sources_.bridge) {
    for (const auto& target : sources_.bridge->health()) {
      if (target.downMicros) inputs.targetsDownMicros.emplace_back(target.name, *target.downMicros);
    }
  }
  if (sources_.signal) signalAlarms(sources_.signal->health(), inputs);
  noteGap(now);
  inputs.signalGapRecently = gapSeenAt_ && now - *gapSeenAt_ < kGapAlarmMicros;
  if (sources_.keptAir) inputs.stateProblem = sources_.keptAir().problem;
  inputs.trafficTimedOut = sources_.traffic && sources_.traffic().recentlyExpired;
  if (sources_.config) inputs.configProblem = sources_.config().error.value_or("");
  // A clock-time group within the last minute means the time of day is on air.
  constexpr std::size_t kClockTimeGroup = 8;
  inputs.clockTimeOnAir =
      sources_.readBack && sources_.readBack->view().groupsLastMinute[kClockTimeGroup] > 0;
  inputs.clockSynchronised = !inputs.clockTimeOnAir || clocks_.clockSynchronised();
  const auto lines = alarms_.update(currentAlarms(inputs, settings_), clocks_.unixMicros());
  if (!lines.empty()) {
    ++alarmChanges_;
    log_.write(lines);
  }
}

void StatusMonitor::noteGap(std::int64_t now) {
  if (!sources_.signal) return;
  const SignalOutput::Health health = sources_.signal->health();
  if (health.gaps == gapsSeen_) return;
  gapsSeen_ = health.gaps;
  gapSeenAt_ = now;
  log_.write("Sinal parado " + std::to_string(health.lastGapMicros / kMicrosPerMilli) +
             " ms: o ciclo não correu; o sinal segue do presente, sem enviar o que faltou");
}

std::uint64_t StatusMonitor::news() const {
  std::uint64_t count = alarmChanges_;
  if (sources_.readBack) count += sources_.readBack->changes();
  if (sources_.log) count += sources_.log->lineCount();
  return count;
}

void StatusMonitor::tellWatchers(std::int64_t now) {
  if (news() != newsTold_ && now - lastEvent_ >= kEventSpacingMicros) {
    newsTold_ = news();
    lastEvent_ = lastHeartbeat_ = now;
    if (watcher_.changed) watcher_.changed(statusJson(snapshot()));
  } else if (now - lastHeartbeat_ >= kHeartbeatMicros) {
    lastHeartbeat_ = now;
    if (watcher_.heartbeat) watcher_.heartbeat();
  }
}

// "PS ORVANE | RT Bom dia | alarmes: 1": what systemctl status shows beside the unit.
std::string StatusMonitor::serviceStatus() const {
  std::string line;
  if (sources_.readBack) {
    const AirView& air = sources_.readBack->view();
    line = "PS " + air.serviceName + " | RT " +
           air.radiotext[air.radiotextB ? 1 : 0].text.substr(0, kStatusTextLength) + " | ";
  }
  const auto raised = alarms_.raised();
  return line + (raised.empty() ? "sem alarmes" : "alarmes: " + std::to_string(raised.size()));
}

}  // namespace orvane
