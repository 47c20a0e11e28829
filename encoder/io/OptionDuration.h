#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The longest any time option of the service takes: a day, beyond which a bound guards nothing.
inline constexpr std::chrono::seconds kMaxOptionDuration = std::chrono::hours(24);

// A time option's value: a whole number with a unit, "90s", "10m" or "2h", or a bare number in
// `bareUnit`, the unit the option has always been given in, so that old command lines keep their
// meaning. At least a second and at most `max`; empty for anything else.
[[nodiscard]] std::optional<std::chrono::seconds> parseOptionDuration(
    std::string_view text, std::chrono::seconds bareUnit,
    std::chrono::seconds max = kMaxOptionDuration);

// The refusal of such a value, in Portuguese: "--alarm-stale: duração de 1s a 24h (...), não x".
[[nodiscard]] std::string optionDurationRefusal(std::string_view option,
                                                std::chrono::seconds bareUnit,
                                                std::chrono::seconds max, std::string_view text);

}  // namespace orvane
