#include "AutomationOptions.h"

#include <arpa/inet.h>

#include <regex>

#include "DoorText.h"
#include "OptionDuration.h"
#include "OptionNumber.h"

namespace orvane {
namespace {

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

// --automation and --http: [ADDRESS:]PORT.
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

std::optional<std::string> readToken(std::string_view value, AutomationOptions& options) {
  if (value.empty()) return "--http-token não pode ser vazio";
  options.httpToken = std::string(value);
  return std::nullopt;
}

std::optional<std::string> readFile(std::string_view value, AutomationOptions& options) {
  if (value.empty()) return "--now-playing precisa de um nome de ficheiro";
  options.nowPlayingFile = std::string(value);
  return std::nullopt;
}

std::optional<std::string> readTemplate(std::string_view value, AutomationOptions& options) {
  if (value.empty() || value.size() > kMaxTemplateLength) {
    return "--now-playing-template: de 1 a " + std::to_string(kMaxTemplateLength) + " bytes";
  }
  options.nowPlayingTemplate = std::string(value);
  return std::nullopt;
}

std::optional<std::string> readEnhancedTemplate(std::string_view value,
                                                AutomationOptions& options) {
  if (value.empty() || value.size() > kMaxTemplateLength || !isUtf8(value)) {
    return "--ert-template: de 1 a " + std::to_string(kMaxTemplateLength) + " bytes em UTF-8";
  }
  options.enhancedRadiotextTemplate = std::string(value);
  return std::nullopt;
}

std::optional<std::string> readTimeout(std::string_view value, AutomationOptions& options) {
  constexpr std::chrono::seconds kBareUnit = std::chrono::minutes(1);
  const auto timeout = parseOptionDuration(value, kBareUnit);
  if (!timeout) {
    return optionDurationRefusal("--now-playing-timeout", kBareUnit, kMaxOptionDuration, value);
  }
  options.nowPlayingTimeout = *timeout;
  return std::nullopt;
}

std::optional<std::string> readSkip(std::string_view value, AutomationOptions& options) {
  if (!validPattern(std::string(value))) {
    return "--now-playing-skip: expressão regular inválida: " + std::string(value);
  }
  options.nowPlayingSkip = std::string(value);
  return std::nullopt;
}

std::optional<std::string> readDefaultText(std::string_view value, AutomationOptions& options) {
  options.defaultText = std::string(value);
  return std::nullopt;
}

// The stream server's song, for stations whose playout tells only the stream server.
std::optional<std::string> readIcecast(std::string_view value, AutomationOptions& options) {
  if (!value.starts_with("http://") && !value.starts_with("https://")) {
    return "--icecast: esperado um URL http:// ou https://, não " + std::string(value);
  }
  options.icecast = std::string(value);
  return std::nullopt;
}

std::optional<std::string> readIcecastMount(std::string_view value, AutomationOptions& options) {
  if (!value.starts_with('/')) return "--icecast-mount: esperado um ponto de montagem como /live";
  options.icecastMount = std::string(value);
  return std::nullopt;
}

const auto door = [](std::string_view name) {
  return [name](std::string_view value, AutomationOptions& options) {
    return readDoor(name, value, options);
  };
};

}  // namespace

const std::vector<OptionRow<AutomationOptions>>& automationOptionRows() {
  using enum OptionArity;
  static const std::vector<OptionRow<AutomationOptions>> rows = {
      {"--automation", Once, "P", "[ADDR:]PORT", door("--automation"),
       "linhas CHAVE=valor (TEXT=, PS=, PTY=, ...) por TCP e UDP em\n"
       "[ENDEREÇO:]PORTO (por omissão 127.0.0.1)",
       "playout `KEY=value` lines, TCP and UDP on the same port (default address `127.0.0.1`; "
       "[automation.md](automation.md))"},
      {"--http", Once, "P", "[ADDR:]PORT", door("--http"),
       "HTTP em [ENDEREÇO:]PORTO: /nowplaying, /nowplaying/azuracast, /state",
       "the HTTP door: now-playing (`/nowplaying`, `/nowplaying/azuracast`, `/state`) and the "
       "status page ([monitoring.md](monitoring.md)); default address `127.0.0.1`"},
      {"--http-token", Once, "T", "SECRET", readToken,
       "segredo partilhado; obrigatório fora de 127.0.0.1,\n"
       "de 16 caracteres ou mais (openssl rand -hex 16)",
       "the HTTP door's shared secret; required, of 16 characters or more, for any address but "
       "loopback"},
      {"--now-playing", Once, "F", "FILE", readFile,
       "lê a música em curso do ficheiro F sempre que muda",
       "a file the playout rewrites at every song, read whenever it changes"},
      {"--now-playing-template", Once, "T", "T", readTemplate,
       "texto da música (por omissão \"{artist} - {title}\")",
       "the radiotext of a song, 1 to 256 bytes (default `{artist} - {title}`; `{album}` too)"},
      {"--ert-template", Once, "T", "T", readEnhancedTemplate,
       "radiotexto melhorado (eRT) de cada música, em UTF-8, como\n"
       "--now-playing-template (por omissão nenhum)",
       "the enhanced radiotext (eRT) of a song, in UTF-8, any script, 1 to 256 bytes, with the "
       "fields of `--now-playing-template`; default none: songs leave the eRT as it is"},
      {"--now-playing-timeout", Once, "DURAÇÃO", "DURATION", readTimeout,
       "quanto fica no ar uma música sem duração\n"
       "(só o número: minutos; por omissão 15)",
       "how long a song without a duration stays on air, 1s to 24h; a bare number is minutes "
       "(default 15)"},
      {"--now-playing-skip", Once, "R", "REGEX", readSkip,
       "expressão regular: jingles, publicidade e IDs não vão para o ar",
       "songs whose artist, title or category match (case ignored) stay off the air"},
      {"--default-text", Once, "T", "TEXT", readDefaultText,
       "texto que volta quando a música acaba",
       "the radiotext when a song ends (default: the text on air before the songs)"},
      {"--icecast", Once, "URL", "URL", readIcecast,
       "pergunta a música ao Icecast (ou ao Shoutcast, se o URL\n"
       "tiver /stats) de 5 em 5 segundos",
       "a stream server polled every 5 s for its song: Icecast's `/status-json.xsl`, or "
       "Shoutcast's `/stats?json=1` when the path starts with `/stats`"},
      {"--icecast-mount", Once, "M", "MOUNT", readIcecastMount,
       "o ponto de montagem do Icecast (por omissão o primeiro)",
       "the Icecast mount whose song goes on air (default: the first on line)"},
  };
  return rows;
}

std::optional<std::string> checkAutomationOptions(AutomationOptions& options) {
  if (!options.httpToken.empty() && !options.http) return "--http-token precisa de --http";
  if (!options.icecastMount.empty() && options.icecast.empty()) {
    return "--icecast-mount precisa de --icecast";
  }
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

}  // namespace orvane
