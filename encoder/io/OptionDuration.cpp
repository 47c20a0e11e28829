#include "OptionDuration.h"

#include <array>
#include <limits>
#include <utility>

#include "OptionNumber.h"

namespace orvane {
namespace {

using std::chrono::seconds;

constexpr std::array<std::pair<char, seconds>, 3> kUnits = {
    std::pair{'s', seconds(1)}, {'m', std::chrono::minutes(1)}, {'h', std::chrono::hours(1)}};

// "1s", "15m", "24h": the largest unit the span is a whole number of.
std::string spoken(seconds span) {
  for (auto unit = kUnits.rbegin(); unit != kUnits.rend(); ++unit) {
    if (span.count() % unit->second.count() == 0) {
      return std::to_string(span / unit->second) + unit->first;
    }
  }
  return std::to_string(span.count()) + 's';
}

std::string_view unitWord(seconds bareUnit) {
  if (bareUnit == std::chrono::hours(1)) return "horas";
  return bareUnit == std::chrono::minutes(1) ? "minutos" : "segundos";
}

}  // namespace

std::optional<seconds> parseOptionDuration(std::string_view text, seconds bareUnit, seconds max) {
  seconds unit = bareUnit;
  for (const auto& [letter, span] : kUnits) {
    if (text.ends_with(letter)) {
      unit = span;
      text.remove_suffix(1);
      break;  // one unit only: "5ms" is no duration
    }
  }
  unsigned count = 0;
  if (!readOptionNumber(text, std::numeric_limits<unsigned>::max(), count) || count == 0 ||
      count > max / unit) {
    return std::nullopt;
  }
  return unit * count;
}

std::string optionDurationRefusal(std::string_view option, seconds bareUnit, seconds max,
                                  std::string_view text) {
  return std::string(option) + ": duração de 1s a " + spoken(max) +
         " (90s, 10m, 2h; só o número: " + std::string(unitWord(bareUnit)) + "), não " +
         std::string(text);
}

}  // namespace orvane
