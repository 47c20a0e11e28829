#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#include "AirLog.h"
#include "CommandFile.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "Listener.h"
#include "ServerOptions.h"
#include "SignalSetup.h"
#include "StopSignal.h"
#include "UecpSetup.h"

namespace {

using namespace orvane;

// The state from a command file ("-" for standard input); the exit code on failure.
int loadCommands(const std::string& path, EncoderState& state, AirLog& log) {
  std::ifstream file;
  if (path != "-") file.open(path, std::ios::binary);
  std::istream& in = path == "-" ? std::cin : file;
  if (!in) {
    std::cerr << "orvane-encoder: não foi possível abrir " << path << '\n';
    return 1;
  }
  std::string error;
  if (!applyCommands(in, path, state, log, error)) {
    std::cerr << "orvane-encoder: " << error << '\n';
    return 2;
  }
  return 0;
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
    std::cerr << "orvane-encoder: --mpx - escreve amostras binárias: redirecione a saída padrão\n";
    return 2;
  }

  // Standard output carrying the signal cannot carry the log as well.
  std::ostream& logStream = options.writesToStandardOutput() ? std::cerr : std::cout;
  StopSignal stop;
  EncoderState state(options.programmeIdentificationGiven
                         ? std::optional(options.programmeIdentification)
                         : std::nullopt);
  AirLog log(logStream);
  FileDescriptor listener;
  std::string error;
  if (!options.servesConsole()) {
    if (const int code = loadCommands(options.commandsPath, state, log); code != 0) return code;
  } else {
    listener = listenOn(options.address, options.port, error);
  }
  if (!stop.valid() || (options.servesConsole() && !listener.valid())) {
    std::cerr << "orvane-encoder: " << (error.empty() ? "sem descritores livres" : error) << '\n';
    return 1;
  }
  // The first line names the real port, so that whoever started us on port 0 can find it.
  if (options.servesConsole()) {
    logStream << "orvane-encoder: a escutar em " << options.address << ':'
              << localPort(listener.get()) << std::endl;
  }
  const auto output = openSignalOutput(options, state.onAir(), error);
  if (options.hasOutput() && !output) {
    std::cerr << "orvane-encoder: " << error << '\n';
    return 1;
  }
  std::uint16_t uecpPort = 0;
  const auto uecpListener = openUecpListener(options, state, log, error, uecpPort);
  if (options.uecpListen && !uecpListener) {
    std::cerr << "orvane-encoder: " << error << '\n';
    return 1;
  }
  if (uecpListener) {
    logStream << "orvane-encoder: UECP a escutar em " << options.uecpListen->address << ':'
              << uecpPort << std::endl;
  }
  const auto bridge = openUecpBridge(options, state, log, error);
  if (!options.uecpTargets.empty() && !bridge) {
    std::cerr << "orvane-encoder: " << error << '\n';
    return 1;
  }

  int code = 0;
  if (options.servesConsole() || output || uecpListener) {
    std::vector<PollTask*> tasks;
    for (PollTask* task :
         std::initializer_list<PollTask*>{output.get(), uecpListener.get(), bridge.get()}) {
      if (task) tasks.push_back(task);
    }
    EncoderServer(std::move(listener), stop.fd(), state, log, options.echo, tasks).run();
  }
  if (output) code = reportSignal(*output, log);
  // A run that ends by itself gives the peers time to take its last state; a stop request does
  // not wait for them.
  if (bridge && !stop.requested() && !finishUecp(*bridge, stop.fd(), state, log)) code = 1;
  log.write(options.servesConsole() ? "Servidor terminado" : "Terminado");
  return code;
}
