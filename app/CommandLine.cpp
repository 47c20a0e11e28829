#include "CommandLine.h"

#include <algorithm>
#include <array>

namespace orvane {
namespace {

constexpr std::string_view kStation = "--station";

// The toolkit's own options, which it takes off the line when the application starts, written
// with one dash or two. The line is read before that (a mistake must be told without a display),
// so they are passed over here: those of the first list with the argument after them.
constexpr std::array<std::string_view, 15> kToolkitOptionsWithValue = {"platform",
                                                                       "platformpluginpath",
                                                                       "platformtheme",
                                                                       "plugin",
                                                                       "qwindowgeometry",
                                                                       "qwindowicon",
                                                                       "qwindowtitle",
                                                                       "session",
                                                                       "display",
                                                                       "geometry",
                                                                       "name",
                                                                       "title",
                                                                       "visual",
                                                                       "style",
                                                                       "stylesheet"};
constexpr std::array<std::string_view, 8> kToolkitFlags = {
    "reverse", "widgetcount", "sync", "nograb", "dograb", "testability", "qdevel", "qdebug"};
constexpr std::array<std::string_view, 3> kToolkitOptionsJoined = {
    "style=", "stylesheet=", "qmljsdebugger="};

bool isAny(const std::string& argument, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), argument) != names.end();
}

// How many arguments from `i` on belong to a toolkit option; 0 when it is none.
std::size_t toolkitArguments(const std::vector<std::string>& arguments, std::size_t i) {
  std::string_view name = arguments[i];
  if (!name.starts_with('-')) return 0;
  name.remove_prefix(name.starts_with("--") ? 2 : 1);
  if (std::ranges::find(kToolkitFlags, name) != kToolkitFlags.end()) return 1;
  if (std::ranges::any_of(kToolkitOptionsJoined, [&](auto o) { return name.starts_with(o); }))
    return 1;
  const bool takesValue =
      std::ranges::find(kToolkitOptionsWithValue, name) != kToolkitOptionsWithValue.end();
  return takesValue && i + 1 < arguments.size() ? 2 : 0;
}

CommandLine refused(std::string error) {
  return {CommandLine::Action::Error, {}, std::move(error)};
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (const std::string& argument : arguments) {
    if (isAny(argument, {"--help", "-h"})) return {CommandLine::Action::Help, {}, {}};
    if (argument == "--version") return {CommandLine::Action::Version, {}, {}};
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (const std::size_t taken = toolkitArguments(arguments, i); taken > 0) {
      i += taken - 1;
    } else if (argument == kStation && i + 1 < arguments.size() && !arguments[i + 1].empty()) {
      line.station = arguments[++i];
    } else if (argument.starts_with(std::string(kStation) + "=") &&
               argument.size() > kStation.size() + 1) {
      line.station = argument.substr(kStation.size() + 1);
    } else if (argument == kStation || argument == std::string(kStation) + "=") {
      return refused("--station precisa de uma pasta");
    } else {
      return refused((argument.starts_with('-') ? "opção desconhecida: " : "argumento a mais: ") +
                     argument);
    }
  }
  return line;
}

std::string usageText() {
  return "Uso: orvane [--station PASTA]\n"
         "Consola de operador de um codificador RDS.\n"
         "\n"
         "  --station PASTA  trabalha em PASTA: lê aí DEF.INI e guarda aí a lista de radiotexto\n"
         "                   RDSTXT.TXT. Uma pasta que ainda não existe é criada com os\n"
         "                   ficheiros de exemplo; uma que já existe é usada tal como está.\n"
         "                   Sem esta opção a consola trabalha na pasta actual.\n"
         "  --help           mostra esta ajuda e termina\n"
         "  --version        mostra a versão e termina\n"
         "\n"
         "Aceita também as opções do Qt, como -platform ou -style.\n";
}

}  // namespace orvane
