#include "ServerOptions.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "ExtendedCountryCode.h"
#include "MpxModulator.h"
#include "OptionNumber.h"
#include "PcmFormat.h"

namespace orvane {
namespace {

constexpr std::array<std::string_view, 12> kTakesValue = {
    "--listen",  "--port",     "--pi", "--ecc",           "--groups", "--mpx",
    "--seconds", "--commands", "--af", "--rtplus-format", "--uecp",   "--uecp-listen"};
// Apart, so that the options of each door stay a list of their own.
constexpr std::array<std::string_view, 2> kAlarmOptions = {"--alarm-stale", "--alarm-target-down"};

bool isIpv4(const std::string& text) {
  in_addr parsed{};
  return inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

// A code of so many hex digits; all zeros is no code at all (no programme, no country).
bool readHexCode(std::string_view text, std::size_t minDigits, std::size_t maxDigits,
                 unsigned& code) {
  return text.size() >= minDigits && text.size() <= maxDigits &&
         readOptionNumber(text, std::numeric_limits<unsigned>::max(), code, 16) && code != 0;
}

bool readSeconds(std::string_view text, std::optional<double>& seconds) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) ||
      value <= 0 || value > kMaxSeconds) {
    return false;
  }
  seconds = value;
  return true;
}

std::optional<OptionsError> readUecp(std::string_view arg, std::string_view value,
                                     ServerOptions& options) {
  std::string error;
  if (arg == "--uecp") {
    auto target = parseUecpTarget(value, error);
    if (!target) return OptionsError{error};
    options.uecpTargets.push_back(std::move(*target));
    return std::nullopt;
  }
  options.uecpListen = parseUecpListen(value, error);
  if (!options.uecpListen) return OptionsError{error};
  if (!isIpv4(options.uecpListen->address)) {
    return OptionsError{"endereço IPv4 inválido: " + options.uecpListen->address};
  }
  return std::nullopt;
}

std::optional<OptionsError> readOption(std::string_view arg, std::string_view value,
                                       ServerOptions& options) {
  unsigned number = 0;
  if (arg == "--listen") {
    options.address = std::string(value);
    if (!isIpv4(options.address)) return OptionsError{"endereço IPv4 inválido: " + options.address};
  } else if (arg == "--port") {
    if (!readOptionNumber(value, kMaxPort, number)) {
      return OptionsError{"porto inválido (0 a 65535): " + std::string(value)};
    }
    options.port = static_cast<std::uint16_t>(number);
  } else if (arg == "--pi") {
    options.programmeIdentificationGiven = true;
    if (!readHexCode(value, 1, 4, number)) {
      return OptionsError{"código PI inválido (1 a 4 dígitos hexadecimais, não 0): " +
                          std::string(value)};
    }
    options.programmeIdentification = static_cast<std::uint16_t>(number);
  } else if (arg == "--ecc") {
    if (!readHexCode(value, 2, 2, number) ||
        !isAssignedCountryCode(static_cast<std::uint8_t>(number))) {
      return OptionsError{
          "código de país alargado inválido (2 dígitos hexadecimais: A0 a A6, D0 a D3, E0 a E4 "
          "ou F0 a F3): " +
          std::string(value)};
    }
    options.extendedCountryCode = static_cast<std::uint8_t>(number);
  } else if (arg == "--seconds") {
    if (!readSeconds(value, options.seconds)) {
      return OptionsError{"duração inválida (segundos, maior que 0, até 1000000): " +
                          std::string(value)};
    }
  } else if (arg == "--uecp" || arg == "--uecp-listen") {
    return readUecp(arg, value, options);
  } else if (arg == "--alarm-stale") {
    if (!readOptionNumber(value, kMaxAlarmMinutes, number) || number == 0) {
      return OptionsError{"--alarm-stale: minutos de 1 a 1440, não " + std::string(value)};
    }
    options.alarmStaleMinutes = number;
  } else if (arg == "--alarm-target-down") {
    if (!readOptionNumber(value, kMaxAlarmSeconds, number) || number == 0) {
      return OptionsError{"--alarm-target-down: segundos de 1 a 86400, não " + std::string(value)};
    }
    options.alarmTargetDownSeconds = number;
  } else if (arg == "--groups") {
    options.groupsPath = std::string(value);
  } else if (arg == "--mpx") {
    options.mpxPath = std::string(value);
  } else if (arg == "--commands") {
    options.commandsPath = std::string(value);
  } else if (arg == "--af") {
    std::string error;
    auto list = AlternativeFrequencies::parse(value, error);
    if (!list) return OptionsError{error};
    options.alternativeFrequencies = std::move(*list);
  } else if (arg == "--rtplus-format") {
    if (value != "artist-title" && value != "title-artist") {
      return OptionsError{"--rtplus-format: artist-title ou title-artist, não " +
                          std::string(value)};
    }
    options.radiotextPlus =
        value == "artist-title" ? RtPlusFormat::ArtistTitle : RtPlusFormat::TitleArtist;
  }
  if ((arg == "--groups" || arg == "--mpx" || arg == "--commands") && value.empty()) {
    return OptionsError{std::string(arg) + " precisa de um nome de ficheiro"};
  }
  return std::nullopt;
}

// Combinations that would lose or mix up output, or that say something the program would not do.
std::optional<OptionsError> checkCombination(const ServerOptions& o, bool consoleOptions) {
  if ((o.seconds || o.realtime) && !o.hasOutput()) {
    return OptionsError{"--seconds e --realtime precisam de --groups ou --mpx"};
  }
  if (o.groupsPath == "-" && o.mpxPath == "-") {
    return OptionsError{"--groups e --mpx não podem ir ambos para a saída padrão"};
  }
  if (!o.groupsPath.empty() && o.groupsPath == o.mpxPath) {
    return OptionsError{"--groups e --mpx não podem escrever no mesmo ficheiro"};
  }
  if (!o.servesConsole() && consoleOptions) {
    return OptionsError{"--commands não serve a consola: sem --listen, --port nem --echo"};
  }
  const bool fileOutput =
      (!o.groupsPath.empty() && o.groupsPath != "-") || (!o.mpxPath.empty() && o.mpxPath != "-");
  // A loop-through ends with its input.
  if (!o.servesConsole() && fileOutput && !o.seconds && !o.realtime && !o.signal.loopsThrough()) {
    return OptionsError{"com --commands, um ficheiro de saída precisa de --seconds"};
  }
  const double wavSeconds = static_cast<double>(kMaxWavDataBytes / 2) /
                            o.signal.rate.value_or(MpxModulator::kDefaultSampleRate);
  if (!o.mpxPath.empty() && o.mpxPath != "-" && !o.signal.loopsThrough() && o.seconds &&
      *o.seconds > wavSeconds) {
    return OptionsError{"um WAV leva no máximo " + std::to_string(static_cast<int>(wavSeconds)) +
                        " segundos"};
  }
  return std::nullopt;
}

}  // namespace

std::variant<ServerOptions, OptionsError> parseOptions(const std::vector<std::string_view>& args) {
  ServerOptions options;
  bool consoleOptions = false, rtplus = false;
  std::vector<std::string_view> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool takesValue = std::ranges::find(kTakesValue, arg) != kTakesValue.end() ||
                            std::ranges::find(kAlarmOptions, arg) != kAlarmOptions.end() ||
                            isSignalOption(arg);
    if (takesValue && i + 1 == args.size()) {
      return OptionsError{std::string(arg) + " precisa de um valor"};
    }
    // Of a value given twice only the last would count, and a script's mistake would go on air
    // unnoticed; only --uecp names one peer each time.
    if (takesValue && arg != "--uecp" && std::ranges::find(given, arg) != given.end()) {
      return OptionsError{std::string(arg) + " só pode ser dada uma vez"};
    }
    given.push_back(arg);
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--echo") {
      options.echo = true;
    } else if (arg == "--realtime") {
      options.realtime = true;
    } else if (arg == "--rtplus") {
      rtplus = true;
    } else if (isAutomationOption(arg)) {
      if (i + 1 == args.size()) return OptionsError{std::string(arg) + " precisa de um valor"};
      if (auto error = readAutomationOption(arg, args[++i], options.automation)) {
        return OptionsError{*error};
      }
    } else if (isSignalOption(arg)) {
      if (i + 1 == args.size()) return OptionsError{std::string(arg) + " precisa de um valor"};
      if (auto error = readSignalOption(arg, args[++i], options.signal)) {
        return OptionsError{*error};
      }
    } else if (takesValue) {
      if (auto error = readOption(arg, args[++i], options)) return *error;
    } else {
      return OptionsError{"opção desconhecida: " + std::string(arg)};
    }
    consoleOptions = consoleOptions || arg == "--listen" || arg == "--port" || arg == "--echo";
  }
  // A format alone would say RadioText Plus is on without turning it on.
  if (options.radiotextPlus && !rtplus) return OptionsError{"--rtplus-format precisa de --rtplus"};
  if (rtplus && !options.radiotextPlus) options.radiotextPlus = RtPlusFormat::ArtistTitle;
  if (auto error = checkCombination(options, consoleOptions)) return *error;
  if (auto error = checkAutomationOptions(options.automation)) return OptionsError{*error};
  if (auto error = checkSignalOptions(options.signal)) return OptionsError{*error};
  if (options.signal.loopsThrough() && options.mpxPath.empty()) {
    return OptionsError{"--mpx-in precisa de --mpx, para onde vai o multiplex com o RDS"};
  }
  return options;
}

std::string usageText() {
  return "Uso: orvane-encoder [--listen ENDEREÇO] [--port N] [--echo] [--pi PI] [--ecc ECC]\n"
         "                    [--groups FICHEIRO|-] [--mpx FICHEIRO.wav|-] [--seconds N]\n"
         "                    [--realtime] [--commands FICHEIRO] [--af LISTA]\n"
         "                    [--rtplus [--rtplus-format artist-title|title-artist]]\n"
         "                    [--uecp DESTINO]... [--uecp-listen [ENDEREÇO:]PORTO]\n"
         "                    [--alarm-stale MINUTOS] [--alarm-target-down SEGUNDOS] [--help]\n"
         "\n"
         "Servidor de referência do codificador RDS para a consola Orvane.\n"
         "Atende um cliente de cada vez e mostra aqui cada alteração que vai para o ar;\n"
         "com --groups ou --mpx produz também o sinal RDS do que está no ar.\n"
         "\n"
         "  --listen ENDEREÇO  endereço IPv4 onde escutar (por omissão 127.0.0.1)\n"
         "  --port N           porto TCP (por omissão 6969; 0 escolhe um porto livre)\n"
         "  --echo             responde a todos os comandos, para experimentar as respostas\n"
         "  --pi PI            código PI em hexadecimal (por omissão 8201)\n"
         "  --ecc ECC          código de país alargado, no grupo 1A (Portugal: E4)\n"
         "  --groups F         escreve os grupos RDS em texto, \"PPPP BBBB CCCC DDDD\" por linha\n"
         "  --mpx F            escreve o sinal multiplex: WAV mono 16 bits à taxa de --rate;\n"
         "                     \"-\" dá amostras em bruto (16 bits little-endian) na saída padrão\n"
         "  --seconds N        termina depois de N segundos de sinal\n"
         "  --realtime         dá o sinal na saída padrão ao ritmo do relógio\n"
         "  --commands F       aplica as linhas de comandos de F, sem consola, e termina\n"
         "  --af LISTA         frequências alternativas em MHz, até 25: 87.6,101.2,105.4\n"
         "  --rtplus           RadioText Plus: artista e título de \"ARTISTA - TÍTULO\"\n"
         "  --rtplus-format F  artist-title (por omissão) ou title-artist\n"
         "  --uecp DESTINO     envia cada alteração por UECP a um codificador: tcp:ENDEREÇO:PORTO\n"
         "                     ou serial:DISPOSITIVO[:VELOCIDADE], com ,site=N,encoder=N;\n"
         "                     pode repetir-se\n"
         "  --uecp-listen P    aceita tramas UECP de sistemas de automação em [ENDEREÇO:]PORTO\n"
         "                     (por omissão 127.0.0.1), com ,site=N,encoder=N\n"
         "  --alarm-stale M    alarme quando o radiotexto fica M minutos sem mudar no ar\n"
         "  --alarm-target-down S\n"
         "                     alarme quando um destino UECP fica mais de S segundos em baixo\n"
         "                     (por omissão 60)\n"
         "  --help             mostra esta ajuda\n"
         "\n"
         "Com uma saída na saída padrão, o registo vai para a saída de erros.\n" +
         automationUsageText() + signalUsageText();
}

}  // namespace orvane
