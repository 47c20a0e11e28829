#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#include "AirLog.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "Listener.h"
#include "ServerOptions.h"
#include "StopSignal.h"

int main(int argc, char** argv) {
  using namespace orvane;
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

  StopSignal stop;
  std::string error;
  FileDescriptor listener = listenOn(options.address, options.port, error);
  if (!stop.valid() || !listener.valid()) {
    std::cerr << "orvane-encoder: " << (error.empty() ? "sem descritores livres" : error) << '\n';
    return 1;
  }
  // The first line names the real port, so that whoever started us on port 0 can find it.
  std::cout << "orvane-encoder: a escutar em " << options.address << ':'
            << localPort(listener.get()) << std::endl;

  EncoderState state;
  AirLog log(std::cout);
  EncoderServer(std::move(listener), stop.fd(), state, log, options.echo).run();
  log.write("Servidor terminado");
  return 0;
}
