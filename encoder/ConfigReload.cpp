#include "ConfigReload.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "Listener.h"
#include "SignalSetup.h"
#include "SystemClock.h"

namespace orvane {
namespace {

// The keys a running encoder takes at once; every other one waits for a restart. The desk's keys
// need the desk, which any playout door brings.
bool appliesLive(std::string_view key, const Reloadable& r, const Loaded& next) {
  static constexpr std::string_view kLive[] = {"pi",
                                               "ecc",
                                               "af",
                                               "traffic-ps",
                                               "ta-timeout",
                                               "alarm-stale",
                                               "alarm-target-down",
                                               "schedule",
                                               "listen",
                                               "port",
                                               "uecp",
                                               "automation",
                                               "http",
                                               "http-token",
                                               "now-playing",
                                               "icecast",
                                               "icecast-mount"};
  static constexpr std::string_view kDesk[] = {"now-playing-template", "now-playing-timeout",
                                               "now-playing-skip", "default-text"};
  if (std::ranges::find(kLive, key) != std::end(kLive)) return true;
  if (key == "eon") return true;  // from the next group, as af
  if (key == "uecp-listen") return uecpListenerMoves(r.uecpListener, next.options.uecpListen);
  if (std::ranges::find(kDesk, key) == std::end(kDesk)) return false;
  return r.doors.desk != nullptr || asksForDoor(next.options.automation);
}

void putProgrammeIdentificationOnAir(Reloadable& r, std::uint16_t code) {
  OnAirState next = r.state.onAir();
  next.programmeIdentification = code;
  AssignedFields fields;
  fields.set(OnAirField::ProgrammeIdentification);
  std::vector<std::string> lines = r.state.replaceOnAir(next, fields);
  for (std::string& line : lines) line += " (configuração)";
  r.log.write(lines);
}

// A network's TA belongs to the network, not to its place in the list: one that is no longer
// where it was, or no longer given, has its announcement ended rather than handed to another.
void putOtherNetworksOnAir(Reloadable& r, const ServerOptions& options) {
  OnAirState next = r.state.onAir();
  for (std::size_t i = 0; i < next.otherNetworkTraffic.size(); ++i) {
    const auto pi = [i](const ServerOptions& o) {
      return i < o.otherNetworks.size() ? o.otherNetworks[i].programmeIdentification : 0;
    };
    if (pi(options) != pi(r.applied.options)) next.otherNetworkTraffic[i] = false;
  }
  std::vector<std::string> lines = r.state.replaceOnAir(next, AssignedFields{});
  for (std::string& line : lines) line += " (configuração)";
  r.log.write(lines);
  r.signal.scheduler().setOtherNetworks(options.otherNetworks);
}

// The new listener opens before the old one closes, so that a port in use leaves the console
// where it was; the console connected now stays connected.
std::optional<DoorFailure> moveConsole(Reloadable& r, const ServerOptions& options) {
  // Port 0 before, and now the port it was given: the console is where it is asked to be.
  if (options.address == r.applied.options.address && options.port == r.server.port()) {
    return std::nullopt;
  }
  std::string error;
  FileDescriptor listener = listenOn(options.address, options.port, error);
  if (!listener.valid()) return DoorFailure{{"listen", "port"}, error};
  const std::uint16_t port = localPort(listener.get());
  r.server.moveListener(std::move(listener));
  r.log.writeUnstamped("orvane-encoder: a escutar em " + options.address + ":" +
                       std::to_string(port));
  return std::nullopt;
}

void setUecpTargets(Reloadable& r, const ServerOptions& options) {
  if (r.bridge) {
    r.bridge->setTargets(options.uecpTargets, r.log);
    return;
  }
  r.bridge = openUecpBridge(options, r.state, r.log, r.uecpTexts);
  r.monitoring.monitor->watchBridge(r.bridge.get());
}

// Applies what changed; gives back what could not be, with why, for the log.
std::vector<DoorFailure> applyChanges(Reloadable& r, const Loaded& next,
                                      const std::vector<std::string>& live) {
  const auto changed = [&live](std::string_view key) {
    return std::ranges::find(live, key) != live.end();
  };
  const ServerOptions& options = next.options;
  setStation(r.signal.scheduler(), options);
  if (changed("pi")) putProgrammeIdentificationOnAir(r, options.programmeIdentification);
  if (changed("eon")) putOtherNetworksOnAir(r, options);
  if (changed("ta-timeout")) {
    r.traffic.setBound(std::chrono::microseconds(options.trafficTimeout).count());
  }
  r.monitoring.monitor->setAlarmSettings(alarmSettings(options));
  std::vector<DoorFailure> failed = moveDoors(r.applied.options, options, r.state, r.log, r.doors);
  if (r.doors.desk) r.doors.desk->boundTraffic(r.traffic);
  watchDoors(r.monitoring, r.doors);
  // Only when the file changed them: a playout's own RTDEFAULT or RTTIMER holds until then.
  const bool deskChanged = std::ranges::any_of(live, [](const std::string& key) {
    return key.starts_with("now-playing-") || key == "default-text";
  });
  if (r.doors.desk && deskChanged) r.doors.desk->setSettings(deskSettings(options));
  if (next.schedule != r.applied.schedule) r.agenda.setSchedule(next.schedule);
  if (changed("listen") || changed("port")) {
    if (auto failure = moveConsole(r, options)) failed.push_back(std::move(*failure));
  }
  if (changed("uecp")) setUecpTargets(r, options);
  if (changed("uecp-listen")) {
    if (auto error = moveUecpListener(*r.uecpListener, *options.uecpListen, r.log)) {
      failed.push_back({{"uecp-listen"}, *error});
    }
  }
  r.server.replaceTasks(r.loopTasks());
  return failed;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

void reload(Reloadable& r) {
  if (r.applied.options.configPath.empty()) {
    r.log.write("SIGHUP: sem --config, nada a reler");
    return;
  }
  auto loaded = loadOptions(r.commandLine);
  if (auto* refusal = std::get_if<LoadRefusal>(&loaded)) {
    for (const std::string& line : refusal->lines) r.log.write("Configuração recusada: " + line);
    r.status.error = refusal->lines.front();
    return;
  }
  Loaded& next = std::get<Loaded>(loaded);
  std::vector<std::string> live;
  std::vector<std::string> held;
  for (std::string& key : changedKeys(r.applied.arguments, next.arguments)) {
    (appliesLive(key, r, next) ? live : held).push_back(std::move(key));
  }
  const bool scheduleChanged = next.schedule != r.applied.schedule;
  std::vector<std::string> unapplied = held;
  std::vector<std::string> failed;
  for (const DoorFailure& failure : applyChanges(r, next, live)) {
    unapplied.insert(unapplied.end(), failure.keys.begin(), failure.keys.end());
    const auto named = std::ranges::find_first_of(failure.keys, live);
    failed.push_back((named != failure.keys.end() ? *named : failure.keys.front()) + " (" +
                     failure.why + ")");
  }
  std::erase_if(live, [&](const std::string& key) {
    return std::ranges::find(unapplied, key) != unapplied.end();
  });
  if (scheduleChanged) live.emplace_back("agenda");
  if (!unapplied.empty()) {
    next.arguments = keepingKeys(next.arguments, r.applied.arguments, unapplied);
    // The options in force say where the doors that could not move still are, so that the next
    // reload tries again.
    auto kept = parseArguments(next.arguments);
    if (auto* inForce = std::get_if<Loaded>(&kept)) next.options = std::move(inForce->options);
  }
  r.applied = std::move(next);
  r.status = {r.applied.options.configPath, unixMicros(), std::nullopt};
  r.log.write("Configuração relida: " + r.applied.options.configPath + ", " +
              (live.empty() ? "nada mudou no ar" : "mudou " + joined(live)));
  if (!held.empty()) r.log.write("Configuração: só depois de reiniciar: " + joined(held));
  if (!failed.empty()) r.log.write("Configuração: não aplicado: " + joined(failed));
}

}  // namespace orvane
