#include "OptionTable.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "DoorText.h"
#include "ExtendedCountryCode.h"
#include "OptionDuration.h"
#include "OptionNumber.h"
#include "RdsLimits.h"

namespace orvane {
namespace {

using Refusal = std::optional<std::string>;

constexpr std::chrono::seconds kSecond(1);
constexpr std::chrono::seconds kMinute = std::chrono::minutes(1);

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

Refusal readListen(std::string_view value, ServerOptions& options) {
  options.address = std::string(value);
  if (!isIpv4(options.address)) return "endereço IPv4 inválido: " + options.address;
  return std::nullopt;
}

Refusal readPort(std::string_view value, ServerOptions& options) {
  unsigned number = 0;
  if (!readOptionNumber(value, kMaxPort, number)) {
    return "porto inválido (0 a 65535): " + std::string(value);
  }
  options.port = static_cast<std::uint16_t>(number);
  return std::nullopt;
}

Refusal readProgrammeIdentification(std::string_view value, ServerOptions& options) {
  unsigned number = 0;
  options.programmeIdentificationGiven = true;
  if (!readHexCode(value, 1, 4, number)) {
    return "código PI inválido (1 a 4 dígitos hexadecimais, não 0): " + std::string(value);
  }
  options.programmeIdentification = static_cast<std::uint16_t>(number);
  return std::nullopt;
}

Refusal readCountryCode(std::string_view value, ServerOptions& options) {
  unsigned number = 0;
  if (!readHexCode(value, 2, 2, number) ||
      !isAssignedCountryCode(static_cast<std::uint8_t>(number))) {
    return "código de país alargado inválido (2 dígitos hexadecimais: A0 a A6, D0 a D3, E0 a E4 "
           "ou F0 a F3): " +
           std::string(value);
  }
  options.extendedCountryCode = static_cast<std::uint8_t>(number);
  return std::nullopt;
}

Refusal readSeconds(std::string_view value, ServerOptions& options) {
  double seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc{} || end != value.data() + value.size() || !std::isfinite(seconds) ||
      seconds <= 0 || seconds > kMaxSeconds) {
    return "duração inválida (segundos, maior que 0, até 1000000): " + std::string(value);
  }
  options.seconds = seconds;
  return std::nullopt;
}

// A path option: --config, --groups, --mpx, --commands, --schedule.
auto readPath(std::string_view name, std::string ServerOptions::*path) {
  return [name, path](std::string_view value, ServerOptions& options) -> Refusal {
    if (value.empty()) return std::string(name) + " precisa de um nome de ficheiro";
    options.*path = std::string(value);
    return std::nullopt;
  };
}

// A flag: --check, --echo, --realtime, --rtplus, --help.
auto setFlag(bool ServerOptions::*flag) {
  return [flag](std::string_view, ServerOptions& options) -> Refusal {
    options.*flag = true;
    return std::nullopt;
  };
}

Refusal readFrequencies(std::string_view value, ServerOptions& options) {
  std::string error;
  auto list = AlternativeFrequencies::parse(value, error);
  if (!list) return error;
  if (options.alternativeFrequencies.byTransmitter()) return "--af e --af-b não se combinam";
  options.alternativeFrequencies = std::move(*list);
  return std::nullopt;
}

Refusal readTransmitterFrequencies(std::string_view value, ServerOptions& options) {
  std::string error;
  if (!options.alternativeFrequencies.addTransmitter(value, error)) return error;
  return std::nullopt;
}

// Eight characters at most: a traffic name that ran through frames would keep a listener waiting
// for the news reading instead of listening.
Refusal readTrafficServiceName(std::string_view value, ServerOptions& options) {
  std::string error;
  auto name = doorText(value, kServiceNameLength, error);
  if (!name) return "--traffic-ps: " + error;
  if (name->find_first_not_of(' ') == std::string::npos) return "--traffic-ps precisa de um nome";
  options.trafficServiceName = std::move(*name);
  return std::nullopt;
}

Refusal readOtherNetworkTail(std::string_view item, OtherNetwork& network) {
  unsigned number = 0;
  std::string error;
  if (item == "tp") {
    network.trafficProgramme = true;
  } else if (item.starts_with("pty=")) {
    if (!readOptionNumber(item.substr(4), kMaxProgrammeType, number)) {
      return "--eon: pty=N, de 0 a 31, não " + std::string(item);
    }
    network.programmeType = static_cast<int>(number);
  } else if (item.starts_with("af=")) {
    std::string list(item.substr(3));
    std::ranges::replace(list, '/', ',');
    auto frequencies = AlternativeFrequencies::parse(list, error);
    if (!frequencies) return "--eon: " + error;
    network.frequencyCount = static_cast<std::size_t>(std::ranges::count(list, ',')) + 1;
    if (network.frequencyCount > OtherNetwork::kMaxFrequencies) {
      return "--eon: até " + std::to_string(OtherNetwork::kMaxFrequencies) +
             " frequências por rede";
    }
    network.frequencies = std::move(*frequencies);
  } else {
    return "--eon: esperado tp, pty=N ou af=MHZ/MHZ, não " + std::string(item);
  }
  return std::nullopt;
}

// "8202=ANTENA 2,tp,pty=10,af=89.4/95.7": the network's PI, its name, then what it carries.
Refusal readOtherNetwork(std::string_view value, ServerOptions& options) {
  if (options.otherNetworks.size() == kMaxOtherNetworks) {
    return "--eon: no máximo " + std::to_string(kMaxOtherNetworks) + " redes";
  }
  OtherNetwork network;
  const auto equals = value.find('=');
  unsigned pi = 0;
  if (equals == std::string_view::npos || !readHexCode(value.substr(0, equals), 1, 4, pi)) {
    return "--eon: esperado PI=NOME, o PI de 1 a 4 dígitos hexadecimais, não 0";
  }
  network.programmeIdentification = static_cast<std::uint16_t>(pi);
  if (std::ranges::any_of(options.otherNetworks, [pi](const OtherNetwork& n) {
        return n.programmeIdentification == pi;
      })) {
    return "--eon: a rede " + std::string(value.substr(0, equals)) + " já foi dada";
  }
  std::string_view rest = value.substr(equals + 1);
  const std::string_view name = rest.substr(0, rest.find(','));
  std::string error;
  auto text = doorText(name, kServiceNameLength, error);
  if (!text) return "--eon: " + error;
  if (text->find_first_not_of(' ') == std::string::npos) return "--eon precisa de um nome";
  network.serviceName = std::move(*text);
  rest.remove_prefix(std::min(rest.size(), name.size() + 1));
  while (!rest.empty()) {
    const std::string_view item = rest.substr(0, rest.find(','));
    if (auto refusal = readOtherNetworkTail(item, network)) return refusal;
    rest.remove_prefix(std::min(rest.size(), item.size() + 1));
  }
  options.otherNetworks.push_back(std::move(network));
  return std::nullopt;
}

Refusal readRtPlusFormat(std::string_view value, ServerOptions& options) {
  if (value != "artist-title" && value != "title-artist") {
    return "--rtplus-format: artist-title ou title-artist, não " + std::string(value);
  }
  options.radiotextPlus =
      value == "artist-title" ? RtPlusFormat::ArtistTitle : RtPlusFormat::TitleArtist;
  return std::nullopt;
}

Refusal readGroupSequence(std::string_view value, ServerOptions& options) {
  std::string error;
  auto sequence = GroupSequence::parse(value, error);
  if (!sequence) return "--group-sequence: " + error;
  options.groupSequence = std::move(*sequence);
  return std::nullopt;
}

Refusal readUecpTarget(std::string_view value, ServerOptions& options) {
  std::string error;
  auto target = parseUecpTarget(value, error);
  if (!target) return error;
  options.uecpTargets.push_back(std::move(*target));
  return std::nullopt;
}

Refusal readUecpListen(std::string_view value, ServerOptions& options) {
  std::string error;
  options.uecpListen = parseUecpListen(value, error);
  if (!options.uecpListen) return error;
  if (!isIpv4(options.uecpListen->address)) {
    return "endereço IPv4 inválido: " + options.uecpListen->address;
  }
  return std::nullopt;
}

Refusal readAlarmStale(std::string_view value, ServerOptions& options) {
  options.alarmStale = parseOptionDuration(value, kMinute);
  if (!options.alarmStale) {
    return optionDurationRefusal("--alarm-stale", kMinute, kMaxOptionDuration, value);
  }
  return std::nullopt;
}

Refusal readAlarmTargetDown(std::string_view value, ServerOptions& options) {
  const auto bound = parseOptionDuration(value, kSecond);
  if (!bound) {
    return optionDurationRefusal("--alarm-target-down", kSecond, kMaxOptionDuration, value);
  }
  options.alarmTargetDown = *bound;
  return std::nullopt;
}

Refusal readStatePath(std::string_view value, ServerOptions& options) {
  if (value.empty()) return "--state precisa de um nome de ficheiro";
  options.statePath = std::string(value);
  return std::nullopt;
}

Refusal readTrafficTimeout(std::string_view value, ServerOptions& options) {
  const auto bound = parseOptionDuration(value, kSecond);
  if (!bound) return optionDurationRefusal("--ta-timeout", kSecond, kMaxOptionDuration, value);
  options.trafficTimeout = *bound;
  return std::nullopt;
}

Refusal clearKeepState(std::string_view, ServerOptions& options) {
  options.keepState = false;
  return std::nullopt;
}

std::vector<ServerOptionRow> serviceRows() {
  using enum OptionArity;
  using O = ServerOptions;
  return {
      {"--config", Once, "F", "FILE", readPath("--config", &O::configPath),
       "lê as opções do ficheiro TOML F (as da linha de comandos ganham);\n"
       "SIGHUP volta a lê-lo",
       "read the options from the TOML FILE, each key an option's name without its dashes; the "
       "command line wins; SIGHUP reads it again ([Configuration file](#configuration-file))"},
      {"--check", Flag, "", "", setFlag(&O::check),
       "verifica as opções e os ficheiros, sem abrir nada, e termina",
       "check the options, the configuration file and the schedule, open nothing, exit 0 if all is "
       "well, 2 with the reason if not"},
      {"--listen", Once, "ENDEREÇO", "ADDR", readListen,
       "endereço IPv4 onde escutar (por omissão 127.0.0.1)",
       "dotted IPv4 address to listen on (default `127.0.0.1`; `0.0.0.0` for every interface)"},
      {"--port", Once, "N", "N", readPort, "porto TCP (por omissão 6969; 0 escolhe um porto livre)",
       "TCP port, 0 to 65535 (default 6969); 0 lets the system choose a free one"},
      {"--echo", Flag, "", "", setFlag(&O::echo),
       "responde a todos os comandos, para experimentar as respostas",
       "answer every command, valid ones with `OK: <the line>`, to try the console's reply box"},
      {"--pi", Once, "PI", "HEX", readProgrammeIdentification,
       "código PI em hexadecimal (por omissão 8201)",
       "PI code, one to four hex digits, not 0 (default `8201`)"},
      {"--ecc", Once, "ECC", "HEX", readCountryCode,
       "código de país alargado, no grupo 1A (Portugal: E4)",
       "extended country code, two hex digits, sent in group 1A (Portugal: `E4`, with PI country "
       "8; see [rds.md](rds.md)); only the codes IEC 62106 assigns (Annex D: `A0`–`A6`, "
       "`D0`–`D3`, `E0`–`E4`, `F0`–`F3`); a code that names no country together with the PI's "
       "first digit is sent, with `Aviso: o ECC E4 e o PI 4201 não indicam nenhum país` at the "
       "start; without it no country code is sent"},
      {"--groups", Once, "F", "FILE", readPath("--groups", &O::groupsPath),
       "escreve os grupos RDS em texto, \"PPPP BBBB CCCC DDDD\" por linha",
       "write every group as a line `PPPP BBBB CCCC DDDD` (the hex format RDS tools read); `-` "
       "for standard output"},
      {"--mpx", Once, "F", "FILE", readPath("--mpx", &O::mpxPath),
       "escreve o sinal multiplex: WAV mono 16 bits a 228000 amostras/s;\n"
       "\"-\" dá amostras em bruto (16 bits little-endian) na saída padrão",
       "write the multiplex signal: a file is a 16-bit mono WAV at 228,000 samples/s; `-` gives "
       "the same samples raw (16-bit little-endian, no header) on standard output"},
      {"--seconds", Once, "N", "N", readSeconds, "termina depois de N segundos de sinal",
       "end after N seconds of signal (decimal, up to 1,000,000; a WAV up to 9418)"},
      {"--realtime", Flag, "", "", setFlag(&O::realtime),
       "dá o sinal na saída padrão ao ritmo do relógio",
       "pace output on standard output by the clock instead of by its reader"},
      {"--commands", Once, "F", "FILE", readPath("--commands", &O::commandsPath),
       "aplica as linhas de comandos de F, sem consola, e termina",
       "serve no console: apply the command lines of FILE (`-` for standard input), write the "
       "outputs, end"},
      {"--af", Once, "LISTA", "LIST", readFrequencies,
       "frequências alternativas em MHz, até 25: 87.6,101.2,105.4",
       "alternative frequencies for group 0A: up to 25 comma-separated MHz values from 87.6 to "
       "107.9 in 0.1 MHz steps (`87.6,101.2,105.4`); default none (\"no AF\")"},
      {"--af-b", Repeatable, "LISTA", "LIST", readTransmitterFrequencies,
       "frequências alternativas por emissor (método B), até 12 e 16 emissores:\n"
       "SINTONIZADA:AF,AF — 89.3:87.6,101.2; pode repetir-se; não com --af",
       "alternative frequencies by method B, one list per transmitter: `TUNED:AF,AF,...` in MHz "
       "as `--af` takes them (`89.3:87.6,101.2`), up to 12 a list; repeatable, up to 16 "
       "transmitters; not with `--af` ([rds.md](rds.md))"},
      {"--traffic-ps", Once, "NOME", "NAME", readTrafficServiceName,
       "nome mostrado em vez do PS enquanto há TA (com TP), até 8 caracteres",
       "the name shown instead of the service name while a traffic announcement is on (TA with "
       "TP), up to 8 characters; the service name returns when TA goes off; default none"},
      {"--eon", Repeatable, "PI=NOME", "PI=NAME[,tp][,pty=N][,af=MHZ/MHZ]", readOtherNetwork,
       "outra rede do grupo (EON, grupo 14A), com o seu PI e nome;\n"
       "tp se dá informação de trânsito, pty=N, af=MHZ/MHZ (até 5);\n"
       "até 8, numeradas pela ordem dada (EON1TA=1 na porta de linhas)",
       "another network of the station's group (EON, group 14A): its PI, its name (up to 8 "
       "characters), then `tp` if it carries traffic announcements, `pty=N`, and `af=` up to 5 "
       "frequencies in MHz separated by `/`; repeatable, up to 8, numbered as given "
       "(`EON1TA=1` on the line door); default none ([rds.md](rds.md))"},
      {"--rtplus", Flag, "", "", setFlag(&O::radiotextPlusAsked),
       "RadioText Plus: artista e título de \"ARTISTA - TÍTULO\"",
       "send RadioText Plus (groups 3A and 11A): artist and title tagged in every radiotext line "
       "\"ARTIST - TITLE\"; off by default"},
      {"--rtplus-format", Once, "F", "F", readRtPlusFormat,
       "artist-title (por omissão) ou title-artist",
       "`artist-title` (default) or `title-artist`: which side of \" - \" is the artist; only "
       "with `--rtplus`"},
      {"--group-sequence", Once, "LISTA", "LIST", readGroupSequence,
       "a ordem dos grupos, um ciclo de lugares: 0A,2A,0A,15A,…;\n"
       "recusada se faltar ao ritmo que os recetores pedem (4A e 1A nunca)",
       "the order of groups, a cycle of up to 240 places from `0A`, `2A`, `3A`, `10A`, `11A`, "
       "`12A`, `14A`, `15A` (`0A,2A,0A,15A,...`); refused at start when it breaks a repetition "
       "rule, never 4A (at the minute edge) or 1A (on its own timer); default the encoder's own "
       "([rds.md](rds.md))"},
      {"--uecp", Repeatable, "DESTINO", "TARGET", readUecpTarget,
       "envia cada alteração por UECP a um codificador: tcp:ENDEREÇO:PORTO,\n"
       "udp:ENDEREÇO:PORTO ou serial:DISPOSITIVO[:VELOCIDADE], com ,site=N,encoder=N;\n"
       "pode repetir-se",
       "send every on-air change over UECP to an encoder: `tcp:HOST:PORT`, `udp:HOST:PORT` "
       "(a frame a datagram) or `serial:DEVICE[:BAUD]`, with `,site=N,encoder=N`; repeatable "
       "([uecp.md](uecp.md))"},
      {"--uecp-listen", Once, "P", "[udp:][ADDR:]PORT", readUecpListen,
       "aceita tramas UECP de sistemas de automação em [ENDEREÇO:]PORTO\n"
       "(por omissão 127.0.0.1; udp: uma trama por datagrama), com ,site=N,encoder=N",
       "take UECP frames from automation systems (default address `127.0.0.1`; with `udp:`, one "
       "frame a datagram), with `,site=N,encoder=N`"},
      {"--alarm-stale", Once, "DURAÇÃO", "DURATION", readAlarmStale,
       "alarme quando o radiotexto fica DURAÇÃO sem mudar no ar\n"
       "(só o número: minutos)",
       "an alarm when the radiotext on air has not changed for so long, 1s to 24h; a bare number "
       "is minutes "
       "(off without it; [monitoring.md](monitoring.md))"},
      {"--alarm-target-down", Once, "DURAÇÃO", "DURATION", readAlarmTargetDown,
       "alarme quando um destino UECP fica mais de DURAÇÃO em baixo\n"
       "(só o número: segundos; por omissão 60)",
       "an alarm when a UECP target has been down for longer, 1s to 24h; a bare number is seconds "
       "(default "
       "60)"},
      {"--state", Once, "F", "FILE", readStatePath,
       "guarda o que está no ar em F e volta com ele ao arrancar",
       "keep what is on air in FILE and start from it (default: the state folder; see below)"},
      {"--no-state", Flag, "", "", clearKeepState, "não guarda nem lê o que está no ar",
       "keep no state: start from the start-up values every time"},
      {"--ta-timeout", Once, "DURAÇÃO", "DURATION", readTrafficTimeout,
       "desliga um TA esquecido no ar ao fim de DURAÇÃO\n"
       "(só o número: segundos; por omissão 5m)",
       "a TA left on for longer switches itself off, 1s to 24h; a bare number is seconds "
       "(default 5m)"},
      {"--schedule", Once, "F", "FILE", readPath("--schedule", &O::schedulePath),
       "põe no ar a agenda das tabelas [[schedule]] do ficheiro TOML F",
       "put on air the schedule of the `[[schedule]]` tables of the TOML FILE "
       "([Schedule](#schedule))"},
  };
}

auto readSignal(std::string_view name) {
  return [name](std::string_view value, ServerOptions& options) {
    return readSignalOption(name, value, options.signal);
  };
}

std::vector<ServerOptionRow> signalRows() {
  using enum OptionArity;
  return {
      {"--rate", Once, "N", "N", readSignal("--rate"),
       "amostras/s de --mpx, de 128000 a 768000 (por omissão 228000,\n"
       "ou 192000 com --audio)",
       "samples a second of `--mpx`, 128,000 to 768,000 (default 228,000, or 192,000 with "
       "`--audio`); the biphase symbols are made at that rate ([rds.md](rds.md))"},
      {"--rds-level", Once, "KHZ", "KHZ", readSignal("--rds-level"),
       "desvio de pico do sinal RDS em kHz, com 75 kHz no fundo de escala\n"
       "(por omissão 3.375, ou seja 4,5 % do fundo de escala)",
       "the RDS signal's peak deviation in kHz, 0.5 to 7.5, full scale standing for 75 kHz "
       "(default 3.375, 4.5 % of full scale)"},
      {"--mpx-in", Once, "FONTE", "SOURCE", readSignal("--mpx-in"),
       "acrescenta o RDS ao multiplex da estação, amostra a amostra, preso\n"
       "ao seu piloto: um WAV mono de 16, 24 ou 32 bits, \"-\" para\n"
       "amostras de 16 bits em bruto na entrada padrão, ou alsa:DISPOSITIVO\n"
       "para a entrada de uma placa de som",
       "loop-through: add RDS to the station's multiplex sample for sample, locked to its pilot; a "
       "mono WAV of 16, 24 or 32 bits, `-` for raw 16-bit samples on standard input, or "
       "`alsa:DEVICE` for a sound card's input"},
      {"--mpx-in-rate", Once, "N", "N", readSignal("--mpx-in-rate"),
       "amostras/s da entrada em bruto ou da placa (por omissão 192000)",
       "samples a second of the raw input (`--mpx-in -`, required) or of the card "
       "(`alsa:`, default 192,000)"},
      {"--audio", Once, "DISPOSITIVO", "DEVICE", readSignal("--audio"),
       "toca o sinal numa placa de som ALSA (\"default\", \"plughw:1\", ...),\n"
       "que lhe dá o ritmo",
       "play the signal on an ALSA sound card (`default`, `plughw:1`, ...), whose clock paces it; "
       "a card that fails is retried while the encoder serves on"},
      {"--audio-format", Once, "FORMATO", "FORMAT", readSignal("--audio-format"),
       "s16 (por omissão) ou s32: amostras de 16 ou 32 bits na placa de som",
       "`s16` (default) or `s32`: 16-bit or 32-bit samples on the sound card, out and in; a 24 or "
       "32-bit "
       "input file is played as 32-bit"},
      {"--audio-latency", Once, "MS", "MS", readSignal("--audio-latency"),
       "o buffer da placa de som em ms, de 10 a 1000 (por omissão 50)",
       "the sound card's buffer in ms, 10 to 1000 (default 50), a quarter of it a period"},
  };
}

std::vector<OptionSection> sections() {
  using enum OptionArity;
  return {
      {"", serviceRows()},
      {"Portas para sistemas de emissão (playout):",
       liftOptionRows(automationOptionRows(), &ServerOptions::automation)},
      {"Sinal multiplex:", signalRows()},
      {"",
       {{"--help", Flag, "", "", setFlag(&ServerOptions::help), "mostra esta ajuda",
         "print the usage and exit"}}},
  };
}

}  // namespace

const std::vector<OptionSection>& optionSections() {
  static const std::vector<OptionSection> table = sections();
  return table;
}

const ServerOptionRow* findOption(std::string_view key) {
  for (const auto& section : optionSections()) {
    for (const auto& row : section.rows) {
      if (row.key() == key) return &row;
    }
  }
  return nullptr;
}

std::optional<std::string> applyOption(std::string_view key, std::string_view value,
                                       ServerOptions& options) {
  const ServerOptionRow* row = findOption(key);
  if (!row) return "opção desconhecida: --" + std::string(key);
  return row->apply(row->arity == OptionArity::Flag ? std::string_view() : value, options);
}

}  // namespace orvane
