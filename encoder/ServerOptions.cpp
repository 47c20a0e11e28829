#include "ServerOptions.h"

#include <algorithm>

#include "MpxModulator.h"
#include "OptionTable.h"
#include "PcmFormat.h"

namespace orvane {
namespace {

// Where the usage's help begins: "  --listen ENDEREÇO  endereço IPv4 ...".
constexpr std::size_t kHelpIndent = 2;
constexpr std::size_t kHelpColumn = 21;
constexpr std::size_t kSynopsisIndent = 20;
constexpr std::size_t kUsageWidth = 100;

// Columns on a terminal, not bytes: "ENDEREÇO" is eight.
std::size_t columns(std::string_view utf8) {
  return static_cast<std::size_t>(std::ranges::count_if(
      utf8, [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }));
}

std::string label(const ServerOptionRow& row) {
  return std::string(row.name) + (row.usageValue.empty() ? "" : " " + std::string(row.usageValue));
}

// "Uso: orvane-encoder [--listen ENDEREÇO] [--port N] ... [--uecp DESTINO]... [--help]".
std::string synopsis() {
  std::string text = "Uso: orvane-encoder";
  std::size_t width = columns(text);
  for (const auto& section : optionSections()) {
    for (const auto& row : section.rows) {
      const std::string item =
          "[" + label(row) + "]" + (row.arity == OptionArity::Repeatable ? "..." : "");
      if (width + 1 + columns(item) > kUsageWidth) {
        text += "\n" + std::string(kSynopsisIndent - 1, ' ');
        width = kSynopsisIndent - 1;
      }
      text += " " + item;
      width += 1 + columns(item);
    }
  }
  return text + "\n";
}

// The label, then each line of help in its column; a label too long for it stands alone.
std::string helpLines(const ServerOptionRow& row) {
  std::string text = std::string(kHelpIndent, ' ') + label(row);
  std::size_t width = kHelpIndent + columns(label(row));
  if (width + 2 > kHelpColumn) {
    text += '\n';
    width = 0;
  }
  std::string_view help = row.help;
  while (true) {
    const auto end = help.find('\n');
    text += std::string(kHelpColumn - width, ' ') + std::string(help.substr(0, end)) + '\n';
    if (end == std::string_view::npos) return text;
    help.remove_prefix(end + 1);
    width = 0;
  }
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
  if (o.statePath && !o.keepState) return OptionsError{"--state e --no-state excluem-se"};
  // A file render must not depend on yesterday's air.
  if (!o.servesConsole() && o.statePath) {
    return OptionsError{"--commands não lê nem escreve o estado: sem --state"};
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
  std::vector<std::string_view> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i] == "-h" ? "--help" : args[i];
    const ServerOptionRow* row = arg.starts_with("--") ? findOption(arg.substr(2)) : nullptr;
    if (!row) return OptionsError{"opção desconhecida: " + std::string(arg)};
    std::string_view value;
    if (row->arity != OptionArity::Flag) {
      if (i + 1 == args.size()) return OptionsError{std::string(arg) + " precisa de um valor"};
      if (row->arity == OptionArity::Once && std::ranges::find(given, arg) != given.end()) {
        return OptionsError{std::string(arg) + " só pode ser dada uma vez"};
      }
      value = args[++i];
    }
    given.push_back(arg);
    if (auto refusal = applyOption(row->key(), value, options)) return OptionsError{*refusal};
  }
  // A format alone would say RadioText Plus is on without turning it on.
  if (options.radiotextPlus && !options.radiotextPlusAsked) {
    return OptionsError{"--rtplus-format precisa de --rtplus"};
  }
  if (options.radiotextPlusAsked && !options.radiotextPlus) {
    options.radiotextPlus = RtPlusFormat::ArtistTitle;
  }
  // A receiver told that its own programme is another would follow itself.
  if (std::ranges::any_of(options.otherNetworks, [&options](const OtherNetwork& network) {
        return network.programmeIdentification == options.programmeIdentification;
      })) {
    return OptionsError{"--eon: uma outra rede não pode ter o PI desta (--pi)"};
  }
  const bool consoleOptions = std::ranges::any_of(given, [](std::string_view name) {
    return name == "--listen" || name == "--port" || name == "--echo";
  });
  if (auto error = checkCombination(options, consoleOptions)) return *error;
  if (auto error = checkAutomationOptions(options.automation)) return OptionsError{*error};
  if (auto error = checkSignalOptions(options.signal)) return OptionsError{*error};
  if (options.signal.loopsThrough() && options.mpxPath.empty() && options.signal.audio.empty()) {
    return OptionsError{
        "--mpx-in precisa de --mpx ou --audio, para onde vai o multiplex com o RDS"};
  }
  return options;
}

std::string usageText() {
  std::string text =
      synopsis() +
      "\n"
      "Servidor de referência do codificador RDS para a consola Orvane.\n"
      "Atende um cliente de cada vez e mostra aqui cada alteração que vai para o ar;\n"
      "com --groups ou --mpx produz também o sinal RDS do que está no ar.\n";
  for (const auto& section : optionSections()) {
    text += "\n";
    if (!section.heading.empty()) text += std::string(section.heading) + "\n";
    for (const auto& row : section.rows) text += helpLines(row);
  }
  return text +
         "\n"
         "Uma DURAÇÃO é um número inteiro com unidade: 90s, 10m, 2h.\n"
         "Com uma saída na saída padrão, o registo vai para a saída de erros.\n";
}

}  // namespace orvane
