#include "ServerOptions.h"

#include <arpa/inet.h>

#include <charconv>

namespace orvane {
namespace {

bool isIpv4(const std::string& text) {
  in_addr parsed{};
  return inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

bool readPort(std::string_view text, std::uint16_t& port) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

std::variant<ServerOptions, OptionsError> parseOptions(const std::vector<std::string_view>& args) {
  ServerOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool takesValue = arg == "--listen" || arg == "--port";
    if (takesValue && i + 1 == args.size()) {
      return OptionsError{std::string(arg) + " precisa de um valor"};
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--echo") {
      options.echo = true;
    } else if (arg == "--listen") {
      options.address = std::string(args[++i]);
      if (!isIpv4(options.address)) {
        return OptionsError{"endereço IPv4 inválido: " + options.address};
      }
    } else if (arg == "--port") {
      if (!readPort(args[++i], options.port)) {
        return OptionsError{"porto inválido (0 a 65535): " + std::string(args[i])};
      }
    } else {
      return OptionsError{"opção desconhecida: " + std::string(arg)};
    }
  }
  return options;
}

std::string usageText() {
  return "Uso: orvane-encoder [--listen ENDEREÇO] [--port N] [--echo] [--help]\n"
         "\n"
         "Servidor de referência do codificador RDS para a consola Orvane.\n"
         "Atende um cliente de cada vez e mostra aqui cada alteração que vai para o ar.\n"
         "\n"
         "  --listen ENDEREÇO  endereço IPv4 onde escutar (por omissão 127.0.0.1)\n"
         "  --port N           porto TCP (por omissão 6969; 0 escolhe um porto livre)\n"
         "  --echo             responde a todos os comandos, para experimentar as respostas\n"
         "  --help             mostra esta ajuda\n";
}

}  // namespace orvane
