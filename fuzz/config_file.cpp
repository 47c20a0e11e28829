// Arbitrary configuration files, as a station's editor may leave one: no crash, and a file that
// is taken gives arguments the option table reads or refuses with a reason, never half-read.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ConfigFile.h"
#include "FuzzExpect.h"
#include "ServerOptions.h"

using orvane::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  toml::table root;
  try {
    root = toml::parse(text, std::string_view("fuzz.toml"));
  } catch (const toml::parse_error&) {
    return 0;
  }
  const auto read = readConfig(root, "fuzz.toml");
  if (const auto* refused = std::get_if<std::vector<std::string>>(&read)) {
    expect(!refused->empty());
    for (const std::string& line : *refused) expect(line.starts_with("fuzz.toml:"));
    return 0;
  }
  const std::vector<std::string> arguments = mergedArguments(std::get<ConfigFile>(read), {});
  const std::vector<std::string_view> views(arguments.begin(), arguments.end());
  const auto options = parseOptions(views);
  if (const auto* error = std::get_if<OptionsError>(&options)) expect(!error->message.empty());
  expect(changedKeys(arguments, arguments).empty());
  return 0;
}
