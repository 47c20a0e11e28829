#pragma once

#include <charconv>
#include <string_view>

namespace orvane {

inline constexpr unsigned kMaxPort = 65535;

// An option's value read whole as an unsigned number in `base`: digits only, no sign, blank or
// prefix, and at most `max`. False, with `value` not to be used, for anything else.
[[nodiscard]] inline bool readOptionNumber(std::string_view text, unsigned max, unsigned& value,
                                           int base = 10) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return !text.empty() && error == std::errc{} && end == text.data() + text.size() && value <= max;
}

}  // namespace orvane
