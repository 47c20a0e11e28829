#include "MonitorSetup.h"

#include "ClockSync.h"
#include "SignalSetup.h"
#include "StatusDoor.h"
#include "SystemClock.h"

namespace orvane {

AlarmSettings alarmSettings(const ServerOptions& options) {
  AlarmSettings settings;
  using std::chrono::microseconds;
  if (options.alarmStale) settings.staleMicros = microseconds(*options.alarmStale).count();
  settings.targetDownMicros = microseconds(options.alarmTargetDown).count();
  return settings;
}

std::vector<PollTask*> Monitoring::tasks() const {
  std::vector<PollTask*> all;
  if (unwritten) all.push_back(unwritten.get());
  all.push_back(monitor.get());
  return all;
}

std::unique_ptr<Monitoring> openMonitoring(const ServerOptions& options, const EncoderState& state,
                                           SignalOutput* output, UecpListener* listener,
                                           const UecpBridge* bridge, AirLog& log) {
  auto monitoring =
      std::unique_ptr<Monitoring>(new Monitoring{ChangeLedger(unixMicros), {}, {}, {}, {}});
  if (!output) {
    monitoring->unwritten = openUnwrittenSignal(options, state.onAir());
    output = monitoring->unwritten.get();
  }
  AirReadBack& readBack = monitoring->readBack;
  output->watchGroups(
      [&readBack](const RdsGroup& group, std::int64_t micros) { readBack.take(group, micros); });
  StatusMonitor::Sources sources{&readBack, output, bridge, &monitoring->ledger, &log, {}, {}, {},
                                 {},        {},     {}};
  if (listener) {
    listener->recordChanges(monitoring->ledger);
    sources.doors.emplace_back("uecp", [listener] { return listener->clients(); });
    if (listener->transport() == UecpListener::Transport::Datagrams) {
      sources.uecpDatagramsDropped = [listener] { return listener->droppedDatagrams(); };
    }
  }
  monitoring->monitor = std::make_unique<StatusMonitor>(
      std::move(sources), alarmSettings(options),
      StatusMonitor::Clocks{monotonicMicros, unixMicros, systemClockSynchronised}, log,
      &monitoring->notifier);
  return monitoring;
}

void watchConsole(Monitoring& monitoring, EncoderServer& server) {
  server.recordChanges(monitoring.ledger);
  monitoring.monitor->addDoor("console", [&server] { return server.clients(); });
}

void watchDoors(Monitoring& monitoring, AutomationDoors& doors) {
  if (doors.desk) doors.desk->recordChanges(monitoring.ledger);
  if (doors.http) {
    attachStatus(*doors.http, *monitoring.monitor);
  } else {
    detachStatus(*monitoring.monitor);
  }
}

SignalOutput& Monitoring::signal(SignalOutput* output) const {
  return output ? *output : *unwritten;
}

void watchSchedule(Monitoring& monitoring, AgendaDesk& agenda) {
  agenda.recordChanges(monitoring.ledger);
  monitoring.monitor->watchSchedule([&agenda] {
    const AgendaDesk::Health health = agenda.health();
    return ScheduleStatus{health.onAir, health.next, health.nextStartsMicros};
  });
}

}  // namespace orvane
