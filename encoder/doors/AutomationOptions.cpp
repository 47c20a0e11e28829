#include "AutomationOptions.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <regex>

#include "OptionNumber.h"

namespace orvane {
namespace {

constexpr std::array<std::string_view, 8> kOptions = {
    "--automation",           "--http",
    "--http-token",           "--now-playing",
    "--now-playing-template", "--now-playing-timeout",
    "--now-playing-skip",     "--default-text"};

constexpr unsigned kMaxTimeoutMinutes = 24 * 60;
constexpr std::size_t kMaxTemplateLength = 256;

// [ADDRESS:]PORT, the address loopback unless given.
std::optional<AutomationOptions::Endpoint> readEndpoint(std::string_view text) {
  AutomationOptions::Endpoint endpoint;
  const auto colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    endpoint.address = std::string(text.substr(0, colon));
    text.remove_prefix(colon + 1);
  }
  in_addr parsed{};
  unsigned port = 0;
  if (inet_pton(AF_INET, endpoint.address.c_str(), &parsed) != 1 ||
      !readOptionNumber(text, kMaxPort, port)) {
    return std::nullopt;
  }
  endpoint.port = static_cast<std::uint16_t>(port);
  return endpoint;
}

bool validPattern(const std::string& pattern) {
  try {
    std::regex(pattern, std::regex::ECMAScript | std::regex::icase);
    return true;
  } catch (const std::regex_error&) {
    return false;
  }
}

std::optional<std::string> readDoor(std::string_view arg, std::string_view value,
                                    AutomationOptions& options) {
  const auto endpoint = readEndpoint(value);
  if (!endpoint) {
    return std::string(arg) + ": esperado [ENDEREÇO:]PORTO, não " + std::string(value);
  }
  if (arg == "--automation") {
    options.lines = endpoint;
  } else {
    options.http.emplace();
    options.http->address = endpoint->address;
    options.http->port = endpoint->port;
  }
  return std::nullopt;
}

}  // namespace

bool isAutomationOption(std::string_view arg) {
  return std::ranges::find(kOptions, arg) != kOptions.end();
}

std::optional<std::string> readAutomationOption(std::string_view arg, std::string_view value,
                                                AutomationOptions& options) {
  if (arg == "--automation" || arg == "--http") return readDoor(arg, value, options);
  if (arg == "--http-token") {
    if (value.empty()) return "--http-token não pode ser vazio";
    options.httpToken = std::string(value);
  } else if (arg == "--now-playing") {
    if (value.empty()) return "--now-playing precisa de um nome de ficheiro";
    options.nowPlayingFile = std::string(value);
  } else if (arg == "--now-playing-template") {
    if (value.empty() || value.size() > kMaxTemplateLength) {
      return "--now-playing-template: de 1 a " + std::to_string(kMaxTemplateLength) + " bytes";
    }
    options.nowPlayingTemplate = std::string(value);
  } else if (arg == "--now-playing-timeout") {
    unsigned minutes = 0;
    if (!readOptionNumber(value, kMaxTimeoutMinutes, minutes) || minutes == 0) {
      return "--now-playing-timeout: minutos, de 1 a " + std::to_string(kMaxTimeoutMinutes);
    }
    options.nowPlayingTimeout = std::chrono::minutes(minutes);
  } else if (arg == "--now-playing-skip") {
    options.nowPlayingSkip = std::string(value);
    if (!validPattern(options.nowPlayingSkip)) {
      return "--now-playing-skip: expressão regular inválida: " + std::string(value);
    }
  } else if (arg == "--default-text") {
    options.defaultText = std::string(value);
  }
  return std::nullopt;
}

std::optional<std::string> checkAutomationOptions(AutomationOptions& options) {
  if (!options.httpToken.empty() && !options.http) return "--http-token precisa de --http";
  if (options.http) {
    options.http->token = options.httpToken;
    if (!isLoopbackAddress(options.http->address) && options.httpToken.empty()) {
      return "--http em " + options.http->address + " precisa de --http-token";
    }
    if (const auto fault = tokenFault(options.http->address, options.httpToken)) {
      return "--http-token: " + *fault;
    }
  }
  if (options.lines && options.http && options.lines->port == options.http->port &&
      options.lines->port != 0) {
    return "--automation e --http não podem usar o mesmo porto";
  }
  return std::nullopt;
}

std::string automationUsageText() {
  return "\n"
         "Portas para sistemas de emissão (playout):\n"
         "  --automation P     linhas CHAVE=valor (TEXT=, PS=, PTY=, ...) por TCP e UDP em\n"
         "                     [ENDEREÇO:]PORTO (por omissão 127.0.0.1)\n"
         "  --http P           HTTP em [ENDEREÇO:]PORTO: /nowplaying, /nowplaying/azuracast, "
         "/state\n"
         "  --http-token T     segredo partilhado; obrigatório fora de 127.0.0.1,\n"
         "                     de 16 caracteres ou mais (openssl rand -hex 16)\n"
         "  --now-playing F    lê a música em curso do ficheiro F sempre que muda\n"
         "  --now-playing-template T   texto da música (por omissão \"{artist} - {title}\")\n"
         "  --now-playing-timeout M    minutos até uma música sem duração sair (por omissão 15)\n"
         "  --now-playing-skip R       expressão regular: jingles, publicidade e IDs não vão\n"
         "                             para o ar\n"
         "  --default-text T   texto que volta quando a música acaba\n";
}

}  // namespace orvane
