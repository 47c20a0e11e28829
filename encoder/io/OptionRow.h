#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// How often an option may be given. A flag takes no value; an option with a value is refused the
// second time, since only the last would count and a script's slip would go on air unnoticed,
// unless each one adds to a list.
enum class OptionArity { Flag, Once, Repeatable };

// One option of the service: everything the command line, the usage and the documentation know
// of it, so that none of them can forget one. `Options` is the record the option fills in; a room
// keeps the rows of its own record, and the service lifts them into its own (liftOptionRows).
template <class Options>
struct OptionRow {
  // The refusal, UTF-8 and naming the option, when the value is not acceptable. A flag's value is
  // empty.
  using Apply = std::function<std::optional<std::string>(std::string_view value, Options&)>;

  std::string_view name;  // "--port"; a configuration file's key is the same without the dashes
  OptionArity arity = OptionArity::Once;
  std::string_view usageValue;  // the value's name in the usage, Portuguese ("ENDEREÇO")
  std::string_view docValue;    // and in docs/encoder.md ("ADDR")
  Apply apply;
  std::string_view help;  // the usage's lines, Portuguese, '\n' between them
  std::string_view doc;   // its row in docs/encoder.md, Markdown

  [[nodiscard]] std::string_view key() const { return name.substr(2); }
};

// A room's rows over the part of a larger record it fills in.
template <class Whole, class Part>
[[nodiscard]] std::vector<OptionRow<Whole>> liftOptionRows(const std::vector<OptionRow<Part>>& rows,
                                                           Part Whole::*part) {
  std::vector<OptionRow<Whole>> lifted;
  for (const auto& row : rows) {
    lifted.push_back({row.name, row.arity, row.usageValue, row.docValue,
                      [apply = row.apply, part](std::string_view value, Whole& whole) {
                        return apply(value, whole.*part);
                      },
                      row.help, row.doc});
  }
  return lifted;
}

}  // namespace orvane
