#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "AgendaDesk.h"
#include "AirLog.h"
#include "AutomationSetup.h"
#include "CommandFile.h"
#include "ConfigFile.h"
#include "DoorText.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "ExtendedCountryCode.h"
#include "Listener.h"
#include "MonitorSetup.h"
#include "OptionTable.h"
#include "ReloadSignal.h"
#include "ScheduleFile.h"
#include "ServerOptions.h"
#include "SignalSetup.h"
#include "StateKeeper.h"
#include "StopSignal.h"
#include "SystemClock.h"
#include "TrafficTimeBound.h"
#include "UecpSetup.h"

namespace {

using namespace orvane;

// Says on standard error why the program cannot go on, and gives back its exit code.
int giveUp(const std::string& why, int code) {
  std::cerr << "orvane-encoder: " << why << '\n';
  return code;
}

// The exit code of loading the command file; -1 to go on.
int loadCommands(const std::string& path, int stopFd, EncoderState& state, AirLog& log) {
  std::string error;
  const LoadOutcome outcome = loadCommandFile(path, stopFd, state, log, error);
  if (outcome == LoadOutcome::Loaded) return -1;
  if (outcome == LoadOutcome::Stopped) return 0;
  return giveUp(error, outcome == LoadOutcome::Refused ? 2 : 1);
}

// What the signal came to, for the log; the exit code.
int reportSignal(SignalOutput& output, AirLog& log) {
  output.close();
  if (output.failed()) {
    log.write("Sinal interrompido: " + output.error());
    return 1;
  }
  log.write("Sinal: " + std::to_string(output.groupsMade()) + " grupos" +
            (output.complete() ? ", completo" : ""));
  return 0;
}

// Receivers read the country from the PI's first digit and the extended code together; a pair
// that names no country is allowed (a code may be assigned later) but is most likely a slip.
void warnAboutCountry(const ServerOptions& options, AirLog& log) {
  const auto code = options.extendedCountryCode;
  if (!code || namesCountry(*code, options.programmeIdentification)) return;
  char text[96];
  std::snprintf(text, sizeof text, "Aviso: o ECC %02X e o PI %04X não indicam nenhum país",
                unsigned{*code}, unsigned{options.programmeIdentification});
  log.write(text);
}

// A served run comes back with the air it had; a file render (--commands) never looks at it.
RestoredAir restoreIfServing(const ServerOptions& options, EncoderState& state, AirLog& log) {
  if (!options.servesConsole()) return {};
  StateSettings settings{options.statePath, options.keepState, {}};
  std::string error;
  if (options.automation.defaultText) {
    settings.defaultText = doorText(*options.automation.defaultText, kMaxRadiotextLength, error);
  }
  return restoreAir(settings, state, log, {monotonicMicros, unixMicros});
}

// Whatever else happened, the log's last line says that the program ended.
int ending(int code, const ServerOptions& options, AirLog& log) {
  log.finish(options.servesConsole() ? "Servidor terminado" : "Terminado");
  return code;
}

// The options in force and what they came from: the command line, the configuration file over
// which it wins, and the schedule of either.
struct Loaded {
  ServerOptions options;
  std::vector<std::string> arguments;  // the file's and the command line's, as one command line
  std::vector<ScheduleEntry> schedule;
  std::optional<ConfigFile> file;
};

// Why the options cannot be taken: each line, and whether the usage helps.
struct LoadRefusal {
  std::vector<std::string> lines;
  bool usage = false;
};

std::variant<Loaded, LoadRefusal> parseArguments(std::vector<std::string> arguments) {
  const std::vector<std::string_view> views(arguments.begin(), arguments.end());
  auto parsed = parseOptions(views);
  if (auto* error = std::get_if<OptionsError>(&parsed)) return LoadRefusal{{error->message}, true};
  return Loaded{std::get<ServerOptions>(std::move(parsed)), std::move(arguments), {}, {}};
}

// Read whole, file and schedule, before anything opens, at the start and at every reload alike.
std::variant<Loaded, LoadRefusal> loadOptions(const std::vector<std::string_view>& commandLine) {
  auto loaded = parseArguments({commandLine.begin(), commandLine.end()});
  if (std::holds_alternative<LoadRefusal>(loaded)) return loaded;
  std::optional<ConfigFile> file;
  if (const std::string path = std::get<Loaded>(loaded).options.configPath; !path.empty()) {
    auto read = readConfigFile(path);
    if (auto* errors = std::get_if<std::vector<std::string>>(&read)) return LoadRefusal{*errors};
    file = std::get<ConfigFile>(std::move(read));
    loaded = parseArguments(mergedArguments(*file, commandLine));
    if (auto* refusal = std::get_if<LoadRefusal>(&loaded)) {
      refusal->lines.front() = path + ": " + refusal->lines.front();
      refusal->usage = false;
      return loaded;
    }
  }
  Loaded& result = std::get<Loaded>(loaded);
  result.file = std::move(file);
  // --schedule FILE, on the command line or as a key, wins over the file's own tables.
  if (!result.options.schedulePath.empty()) {
    auto read = readScheduleFile(result.options.schedulePath);
    if (auto* errors = std::get_if<std::vector<std::string>>(&read)) return LoadRefusal{*errors};
    result.schedule = std::get<std::vector<ScheduleEntry>>(std::move(read));
  } else if (result.file && result.file->schedule) {
    result.schedule = *result.file->schedule;
  }
  return loaded;
}

[[nodiscard]] bool hasSchedule(const ServerOptions& options) {
  return !options.schedulePath.empty() || !options.configPath.empty();
}

// For tests only: ORVANE_SCHEDULE_TEST_OFFSET_S moves the schedule's clock by so many seconds,
// so that a test reaches an entry's minute without waiting for it. Nothing else reads it.
AgendaDesk::UnixClock scheduleClock() {
  const char* offset = std::getenv("ORVANE_SCHEDULE_TEST_OFFSET_S");
  constexpr std::int64_t kMicrosPerSecond = 1'000'000;
  const std::int64_t micros = offset ? std::strtoll(offset, nullptr, 10) * kMicrosPerSecond : 0;
  return [micros] { return unixMicros() + micros; };
}

// What a reload may change, all of it opened by main(), and what is in force now.
struct Reloadable {
  const std::vector<std::string_view>& commandLine;
  Loaded& applied;
  ConfigStatus& status;
  EncoderState& state;
  SignalOutput& signal;
  TrafficTimeBound& traffic;
  AutomationDoors& doors;
  AgendaDesk& agenda;
  Monitoring& monitoring;
  EncoderServer& server;
  std::unique_ptr<UecpBridge>& bridge;
  UecpListener* uecpListener;
  const UecpTextMemory& uecpTexts;
  std::function<std::vector<PollTask*>()> loopTasks;  // the loop's tasks, as they are now
  AirLog& log;
};

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

// SIGHUP: the file read and checked whole; a broken one changes nothing and says why until a
// good one comes. What cannot change in a running encoder keeps its old value, named in the log.
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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  auto parsed = loadOptions(args);
  if (const auto* refusal = std::get_if<LoadRefusal>(&parsed)) {
    for (const std::string& line : refusal->lines) std::cerr << "orvane-encoder: " << line << '\n';
    if (refusal->usage) std::cerr << '\n' << usageText();
    return 2;
  }
  Loaded& loaded = std::get<Loaded>(parsed);
  const ServerOptions options = loaded.options;
  if (options.help) {
    std::cout << usageText();
    return 0;
  }
  if (options.check) {
    std::cout << "orvane-encoder: opções válidas\n";
    return 0;
  }
  // Samples on a terminal would only garble it.
  if (options.mpxPath == "-" && isatty(STDOUT_FILENO)) {
    return giveUp("--mpx - escreve amostras binárias: redirecione a saída padrão", 2);
  }

  // First, while descriptors are free for certain.
  loadSystemTimeZone();
  StopSignal stop;
  std::function<void()> onHangUp = [] {};
  ReloadSignal hangUp([&onHangUp] { onHangUp(); });
  if (!stop.valid() || !hangUp.valid()) return giveUp("sem descritores livres", 1);
  // Standard output carrying the signal cannot carry the log as well.
  const int logFd = options.writesToStandardOutput() ? STDERR_FILENO : STDOUT_FILENO;
  EncoderState state(options.programmeIdentificationGiven
                         ? std::optional(options.programmeIdentification)
                         : std::nullopt);
  AirLog log(logFd);
  // What the start-up has to say waits for the listening line, which a script reads first.
  if (options.servesConsole()) log.holdBack();
  warnAboutCountry(options, log);
  if (const char* old = std::getenv("ORVANE_ENCODER_OPTIONS"); old && *old) {
    log.write(
        "Aviso: as opções de ORVANE_ENCODER_OPTIONS (/etc/default/orvane-encoder) ganham "
        "às do ficheiro; o caminho a seguir é /etc/orvane/encoder.toml");
  }
  if (loaded.file && tokenExposed(*loaded.file)) {
    log.write("Aviso: " + options.configPath +
              " tem o http-token e qualquer utilizador o pode ler (chmod o-r)");
  }
  RestoredAir kept = restoreIfServing(options, state, log);
  TrafficTimeBound trafficBound(
      state, log,
      std::chrono::duration_cast<std::chrono::microseconds>(options.trafficTimeout).count(),
      monotonicMicros);
  if (kept.trafficEnds) trafficBound.resume(*kept.trafficEnds);
  FileDescriptor listener;
  std::string error;
  if (options.servesConsole()) {
    if (listener = listenOn(options.address, options.port, error); !listener.valid()) {
      return giveUp(error, 1);
    }
  }
  // The outputs are opened and compared before the command file goes on air, so that a refused
  // run says nothing about the air; and they keep what they hold until the run is accepted.
  OutputFailure failure;
  const auto output = openSignalOutput(options, state.onAir(), stop.fd(), logFd, failure);
  if (options.hasOutput() && !output) {
    if (failure.kind == OutputFailure::Kind::Stopped) return ending(0, options, log);
    return giveUp(failure.message, failure.exitCode());
  }
  const auto refuse = [&](int code) {
    if (output) output->withdraw();
    return code;
  };
  if (!options.servesConsole()) {
    if (const int code = loadCommands(options.commandsPath, stop.fd(), state, log); code >= 0) {
      return refuse(code == 0 ? ending(0, options, log) : code);
    }
  }
  std::uint16_t uecpPort = 0;
  UecpTextMemory uecpTexts;
  const auto uecpListener = openUecpListener(options, state, log, uecpTexts, error, uecpPort);
  if (options.uecpListen && !uecpListener) return refuse(giveUp(error, 1));
  AutomationDoors doors;
  if (!openAutomation(options, state, log, doors, error)) {
    return refuse(giveUp(error, 1));
  }
  if (doors.desk) doors.desk->boundTraffic(trafficBound);
  if (doors.desk && kept.playoutTextEnds) doors.desk->resumePlayoutText(*kept.playoutTextEnds);
  if (doors.desk && !kept.restored) doors.desk->startWithDefaultText();
  if (output) output->resume(kept.continuity, kept.radiotextThen);
  AgendaDesk agenda(state, log, scheduleClock());
  if (kept.agenda && hasSchedule(options)) agenda.resume(*kept.agenda);
  if (kept.keeper) {
    SignalOutput* signal = output.get();
    // The desk may come with a reload's first door.
    kept.keeper->follow(
        {[&doors] { return doors.desk ? doors.desk->playoutTextEnds() : std::nullopt; },
         [&trafficBound] { return trafficBound.endsAt(); },
         [signal] { return signal ? signal->continuity() : GroupScheduler::Continuity{}; },
         [&agenda] { return agenda.kept(); }});
  }
  if (output) output->reportTo([&log](const std::string& line) { log.write(line); });
  if (output && !output->startAfresh())
    return refuse(giveUp("não foi possível esvaziar a saída", 1));
  // Only now, with everything open: a script waiting for this line may rely on a running server.
  // It names the real port, so that whoever started us on port 0 can find it.
  if (options.servesConsole()) {
    log.writeUnstamped("orvane-encoder: a escutar em " + options.address + ":" +
                       std::to_string(localPort(listener.get())));
  }
  if (uecpListener) {
    log.writeUnstamped("orvane-encoder: UECP a escutar em " + options.uecpListen->address + ":" +
                       std::to_string(uecpPort) + (options.uecpListen->datagrams ? " (UDP)" : ""));
  }

  doors.announce(log, options.automation);
  log.release();

  std::unique_ptr<UecpBridge> bridge = openUecpBridge(options, state, log, uecpTexts);

  int code = 0;
  if (options.servesConsole() || output || uecpListener) {
    const auto monitoring =
        openMonitoring(options, state, output.get(), uecpListener.get(), bridge.get(), log);
    if (hasSchedule(options)) {
      watchSchedule(*monitoring, agenda);
      agenda.setSchedule(loaded.schedule);
    }
    StateKeeper* keeper = kept.keeper.get();
    // Built again after a reload, which may open and close doors and UECP targets.
    const auto loopTasks = [&] {
      std::vector<PollTask*> tasks;
      for (PollTask* task :
           std::initializer_list<PollTask*>{output.get(), uecpListener.get(), bridge.get()}) {
        if (task) tasks.push_back(task);
      }
      for (PollTask* task : doors.tasks()) tasks.push_back(task);
      // A file render says what its file says, for as long as it says it.
      if (options.servesConsole()) tasks.push_back(&trafficBound);
      if (hasSchedule(options)) tasks.push_back(&agenda);
      // After everything that changes the air, so that it sees each turn's changes in that turn.
      if (keeper) tasks.push_back(keeper);
      tasks.push_back(&hangUp);
      // Last, so that it sees in the same turn what the others did.
      for (PollTask* task : monitoring->tasks()) tasks.push_back(task);
      return tasks;
    };
    monitoring->monitor->watchKeeping(
        keeper ? std::function<KeptAirHealth()>([keeper] { return keeper->health(); }) : nullptr,
        [&trafficBound] { return trafficBound.health(); });
    ConfigStatus configStatus{options.configPath, unixMicros(), std::nullopt};
    if (loaded.file) {
      monitoring->monitor->watchConfig([&configStatus] { return configStatus; });
    }
    EncoderServer server(std::move(listener), stop.fd(), state, log, options.echo, loopTasks());
    Reloadable reloadable{args,
                          loaded,
                          configStatus,
                          state,
                          monitoring->signal(output.get()),
                          trafficBound,
                          doors,
                          agenda,
                          *monitoring,
                          server,
                          bridge,
                          uecpListener.get(),
                          uecpTexts,
                          loopTasks,
                          log};
    onHangUp = [&] {
      monitoring->notifier.reloading(monotonicMicros());
      reload(reloadable);
      monitoring->notifier.ready();
    };
    watchConsole(*monitoring, server);
    watchDoors(*monitoring, doors);
    monitoring->notifier.ready();
    if (!server.run()) code = 1;
  }
  if (kept.keeper) kept.keeper->flush();
  if (output && reportSignal(*output, log) != 0) code = 1;
  // A run that ends by itself gives the peers time to take its last state; a stop request does
  // not wait for them.
  if (bridge && !stop.requested() && !finishUecp(*bridge, stop.fd(), state, log)) code = 1;
  return ending(code, options, log);
}
