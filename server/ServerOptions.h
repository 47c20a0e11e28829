#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvane {

inline constexpr std::uint16_t kDefaultPort = 6969;

struct ServerOptions {
  std::string address = "127.0.0.1";  // dotted IPv4; loopback unless asked otherwise
  std::uint16_t port = kDefaultPort;  // 0 lets the system pick a free port
  bool echo = false;
  bool help = false;
};

struct OptionsError {
  std::string message;
};

// Reads the command-line arguments after the program name.
[[nodiscard]] std::variant<ServerOptions, OptionsError> parseOptions(
    const std::vector<std::string_view>& args);

[[nodiscard]] std::string usageText();

}  // namespace orvane
