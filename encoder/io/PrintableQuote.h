#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

inline constexpr std::size_t kQuotedBytesMax = 24;

// What a reply or a log line may quote of a peer's bytes: printable ASCII only, and not much,
// so that nothing a client sends reaches a terminal or another client as a control byte.
[[nodiscard]] inline std::string printableQuote(std::string_view bytes,
                                                std::size_t max = kQuotedBytesMax) {
  std::string out;
  for (char c : bytes.substr(0, max)) out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  if (bytes.size() > max) out += "...";
  return out;
}

}  // namespace orvane
