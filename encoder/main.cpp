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
#include "ConfigReload.h"
#include "DoorText.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "ExtendedCountryCode.h"
#include "Listener.h"
#include "MonitorSetup.h"
#include "OptionTable.h"
#include "ReloadSignal.h"
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
      // The UECP peers ahead of the signal, so that a command's frame leaves before the signal's
      // share of the turn; the UECP listener ahead of them, so that what automation changes
      // reaches the peers in the same turn.
      for (PollTask* task :
           std::initializer_list<PollTask*>{uecpListener.get(), bridge.get(), output.get()}) {
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
