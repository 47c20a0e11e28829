#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "Command.h"

namespace orvane {

struct ParseError {
  std::string message;  // UTF-8, starts with "ERRO:", ready to be sent as the reply
};

using ParseResult = std::variant<Command, ParseError>;

// Reads one command line (without its line end). Pure: the same line always gives the same
// result. Any bytes are safe to pass; what an error message quotes from the line is reduced to
// printable ASCII, so a reply can never carry the client's control bytes back.
[[nodiscard]] ParseResult parseCommand(std::string_view line);

}  // namespace orvane
