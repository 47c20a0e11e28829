#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <tuple>

#include "OptionDuration.h"
#include "OptionTable.h"

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

std::string refusal(const std::vector<std::string_view>& args) {
  const auto parsed = parseOptions(args);
  const auto* error = std::get_if<OptionsError>(&parsed);
  return error ? error->message : std::string();
}

// Of a value given twice only the last would count: every option that takes one is refused the
// second time, the doors' as well, except --uecp and --af-b, which add one more to a list each time
// (--af-b then refuses the same transmitter twice for its own reason). A row added
// without a sample here fails, so that no new option escapes the rule.
TEST(OptionTable, AnOptionGivenTwiceIsRefusedUnlessItAddsToAList) {
  // clang-format off
  const std::map<std::string_view, std::string_view> acceptable = {
      {"--config", "c.toml"}, {"--listen", "127.0.0.1"}, {"--port", "7000"}, {"--pi", "8201"}, {"--ecc", "E4"},
      {"--groups", "g.txt"}, {"--mpx", "m.wav"}, {"--seconds", "1"}, {"--commands", "c.txt"},
      {"--af", "87.6"}, {"--traffic-ps", "TRANSITO"}, {"--rtplus-format", "title-artist"}, {"--group-sequence", "0A,2A,0A,2A,2A"}, {"--uecp", "tcp:127.0.0.1:9"}, {"--af-b", "89.3:87.6"}, {"--eon", "8202=ANTENA2"},
      {"--uecp-listen", "9000"}, {"--alarm-stale", "30"}, {"--alarm-target-down", "90s"},
      {"--automation", "7000"}, {"--http", "8080"}, {"--http-token", "s"},
      {"--now-playing", "f.txt"}, {"--now-playing-template", "{title}"}, {"--ert-template", "{title}"},
      {"--now-playing-timeout", "2h"}, {"--now-playing-skip", "^jingle"}, {"--default-text", "x"},
      {"--icecast", "http://127.0.0.1:8000"}, {"--icecast-mount", "/live"}, {"--state", "s.json"},
      {"--ta-timeout", "90s"}, {"--schedule", "s.toml"}, {"--rate", "192000"},
      {"--rds-level", "3"}, {"--mpx-in", "in.wav"}, {"--mpx-in-rate", "192000"},
      {"--audio", "default"}, {"--audio-format", "s32"}, {"--audio-latency", "40"}};
  // clang-format on
  for (const auto& section : optionSections()) {
    for (const auto& row : section.rows) {
      if (row.arity == OptionArity::Flag) continue;
      ASSERT_TRUE(acceptable.contains(row.name)) << row.name;
      const std::string_view value = acceptable.at(row.name);
      const std::string twice = refusal({row.name, value, row.name, value});
      const std::string once = std::string(row.name) + " só pode ser dada uma vez";
      if (row.arity == OptionArity::Repeatable) {
        EXPECT_NE(twice, once);
      } else {
        EXPECT_EQ(twice, once);
      }
    }
  }
}

// docs/encoder.md lists every option as its row describes it, in the table's order, and none that
// does not exist.
TEST(OptionTable, TheManualListsEveryOptionAndNoOther) {
  std::vector<std::string> documented, rows;
  std::ifstream manual(ORVANE_DOCS_DIR "/encoder.md");
  ASSERT_TRUE(manual) << ORVANE_DOCS_DIR;
  bool inTable = false;
  for (std::string line; std::getline(manual, line);) {
    if (line == "| Option | Meaning |") inTable = true;
    if (inTable && !line.starts_with('|')) break;
    if (inTable && line.starts_with("| `-")) documented.push_back(line);
  }
  for (const auto& section : optionSections()) {
    for (const auto& row : section.rows) {
      const std::string value = row.docValue.empty() ? "" : " " + std::string(row.docValue);
      rows.push_back("| `" + std::string(row.name) + value + "` | " + std::string(row.doc) + " |");
    }
  }
  EXPECT_EQ(documented, rows);
}

// A time option takes a unit; a bare number keeps the unit the option always had; one unit only,
// so that a slip like "5ms" is refused rather than read as minutes.
TEST(OptionTable, DurationsTakeAUnitOrKeepTheirOwn) {
  const std::tuple<std::string_view, std::chrono::seconds, std::optional<std::chrono::seconds>>
      cases[] = {{"90s", 1min, 90s}, {"10m", 1s, 600s}, {"2h", 1s, 7200s},      {"15", 1min, 900s},
                 {"15", 1s, 15s},    {"24h", 1s, 24h},  {"1440", 1min, 24h},    {"1441", 1min, {}},
                 {"86401s", 1s, {}}, {"0", 1s, {}},     {"0m", 1s, {}},         {"", 1s, {}},
                 {"m", 1s, {}},      {"5ms", 1s, {}},   {"-5m", 1s, {}},        {"1.5h", 1s, {}},
                 {" 5m", 1s, {}},    {"5M", 1s, {}},    {"4294967295h", 1s, {}}};
  for (const auto& [text, bareUnit, expected] : cases) {
    EXPECT_EQ(parseOptionDuration(text, bareUnit), expected) << text;
  }
  const auto parsed = parseOptions(
      {"--alarm-stale", "2", "--alarm-target-down", "90", "--now-playing-timeout", "3"});
  const auto& options = std::get<ServerOptions>(parsed);
  EXPECT_EQ(std::tuple(*options.alarmStale, options.alarmTargetDown,
                       options.automation.nowPlayingTimeout),
            std::tuple(120s, 90s, 180s));
}

}  // namespace
}  // namespace orvane::test
