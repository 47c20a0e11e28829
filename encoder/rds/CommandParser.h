#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "Command.h"
#include "Refusal.h"

namespace orvane {

using ParseResult = std::variant<Command, Refusal>;

// Reads one command line (without its line end). Pure: the same line always gives the same
// result. Any bytes are safe to pass; what an error message quotes from the line is reduced to
// printable ASCII, so a reply can never carry the client's control bytes back.
[[nodiscard]] ParseResult parseCommand(std::string_view line);

// A refusal as the console's clients read it: one "ERRO: ..." line (UTF-8, without its line end).
[[nodiscard]] std::string consoleRefusal(const Refusal& refusal);

}  // namespace orvane
