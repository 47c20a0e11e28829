#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "OptionRow.h"
#include "ServerOptions.h"

namespace orvane {

using ServerOptionRow = OptionRow<ServerOptions>;

// The rows under one heading of the usage (none for the service's own).
struct OptionSection {
  std::string_view heading;
  std::vector<ServerOptionRow> rows;
};

// Every option of the service, once, in the order the usage and docs/encoder.md give them. A new
// option is a row here (or in the room whose record it fills in) and a line in docs/encoder.md.
[[nodiscard]] const std::vector<OptionSection>& optionSections();

// The row of a long option by its key, the name without the dashes ("port"); none if unknown.
[[nodiscard]] const ServerOptionRow* findOption(std::string_view key);

// Gives the option of that key its value, through the same parser wherever the pair came from;
// the refusal, UTF-8, for an unknown key or a value not acceptable. A flag's value is ignored.
[[nodiscard]] std::optional<std::string> applyOption(std::string_view key, std::string_view value,
                                                     ServerOptions& options);

}  // namespace orvane
