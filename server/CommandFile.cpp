#include "CommandFile.h"

#include <array>
#include <variant>

#include "CommandParser.h"
#include "LineAssembler.h"

namespace orvane {
namespace {

bool applyLine(const LineAssembler::Piece& piece, EncoderState& state, AirLog& log,
               std::string& why) {
  if (piece.kind == LineAssembler::Piece::Kind::Overlong) {
    why = "ERRO: linha com mais de " + std::to_string(LineAssembler::kMaxLineLength) + " bytes";
    return false;
  }
  if (piece.text.empty()) return true;
  const ParseResult result = parseCommand(piece.text);
  if (const auto* error = std::get_if<ParseError>(&result)) {
    why = error->message;
    return false;
  }
  log.write(state.apply(std::get<Command>(result)));
  return true;
}

}  // namespace

bool applyCommands(std::istream& in, const std::string& name, EncoderState& state, AirLog& log,
                   std::string& error) {
  LineAssembler assembler;
  std::array<char, 4096> chunk;
  int lineNumber = 0;
  auto applyAll = [&](std::string_view bytes) {
    for (const auto& piece : assembler.feed(bytes)) {
      ++lineNumber;
      std::string why;
      if (!applyLine(piece, state, log, why)) {
        error = name + ":" + std::to_string(lineNumber) + ": " + why;
        return false;
      }
    }
    return true;
  };
  while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
    if (!applyAll({chunk.data(), static_cast<std::size_t>(in.gcount())})) return false;
  }
  if (in.bad()) {
    error = "não foi possível ler " + name;
    return false;
  }
  // A last line without its line feed is still a line.
  if (assembler.midLine() && !applyAll("\n")) return false;
  Command encode;
  encode.keyword = Keyword::Encode;
  log.write(state.apply(encode));
  return true;
}

}  // namespace orvane
