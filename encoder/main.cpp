#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#include "AirLog.h"
#include "AutomationSetup.h"
#include "CommandFile.h"
#include "DoorText.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "ExtendedCountryCode.h"
#include "Listener.h"
#include "MonitorSetup.h"
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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto parsed = parseOptions(args);
  if (const auto* error = std::get_if<OptionsError>(&parsed)) {
    std::cerr << "orvane-encoder: " << error->message << "\n\n" << usageText();
    return 2;
  }
  const auto& options = std::get<ServerOptions>(parsed);
  if (options.help) {
    std::cout << usageText();
    return 0;
  }
  // Samples on a terminal would only garble it.
  if (options.mpxPath == "-" && isatty(STDOUT_FILENO)) {
    return giveUp("--mpx - escreve amostras binárias: redirecione a saída padrão", 2);
  }

  // First, while descriptors are free for certain.
  loadSystemTimeZone();
  StopSignal stop;
  if (!stop.valid()) return giveUp("sem descritores livres", 1);
  // Standard output carrying the signal cannot carry the log as well.
  const int logFd = options.writesToStandardOutput() ? STDERR_FILENO : STDOUT_FILENO;
  EncoderState state(options.programmeIdentificationGiven
                         ? std::optional(options.programmeIdentification)
                         : std::nullopt);
  AirLog log(logFd);
  // What the start-up has to say waits for the listening line, which a script reads first.
  if (options.servesConsole()) log.holdBack();
  warnAboutCountry(options, log);
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
  if (!openAutomation(options.automation, state, log, doors, error)) {
    return refuse(giveUp(error, 1));
  }
  if (doors.desk && kept.playoutTextEnds) doors.desk->resumePlayoutText(*kept.playoutTextEnds);
  if (doors.desk && !kept.restored) doors.desk->startWithDefaultText();
  if (kept.keeper) {
    AutomationDesk* desk = doors.desk.get();
    kept.keeper->follow({[desk] { return desk ? desk->playoutTextEnds() : std::nullopt; },
                         [&trafficBound] { return trafficBound.endsAt(); }});
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
                       std::to_string(uecpPort));
  }

  doors.announce(log, options.automation);
  log.release();

  const auto bridge = openUecpBridge(options, state, log, uecpTexts);

  int code = 0;
  if (options.servesConsole() || output || uecpListener) {
    const auto monitoring =
        openMonitoring(options, state, output.get(), uecpListener.get(), bridge.get(), log);
    std::vector<PollTask*> tasks;
    for (PollTask* task :
         std::initializer_list<PollTask*>{output.get(), uecpListener.get(), bridge.get()}) {
      if (task) tasks.push_back(task);
    }
    for (PollTask* task : doors.tasks()) tasks.push_back(task);
    // A file render says what its file says, for as long as it says it.
    if (options.servesConsole()) tasks.push_back(&trafficBound);
    // After everything that changes the air, so that it sees each turn's changes in that turn.
    if (kept.keeper) tasks.push_back(kept.keeper.get());
    StateKeeper* keeper = kept.keeper.get();
    monitoring->monitor->watchKeeping(
        keeper ? std::function<KeptAirHealth()>([keeper] { return keeper->health(); }) : nullptr,
        [&trafficBound] { return trafficBound.health(); });
    // Last, so that it sees in the same turn what the others did.
    for (PollTask* task : monitoring->tasks()) tasks.push_back(task);
    EncoderServer server(std::move(listener), stop.fd(), state, log, options.echo, tasks);
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
