#include "UecpTargetSpec.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace orvane {
namespace {

constexpr std::array<int, 8> kBauds = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr unsigned kMaxPort = 65535;

bool readNumber(std::string_view text, unsigned max, unsigned& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc{} && end == text.data() + text.size() && value <= max;
}

// ",site=N,encoder=N" in any order; true when every option was one of these, in range.
bool readAddress(std::string_view options, UecpAddress& address, std::string& error) {
  while (!options.empty()) {
    options.remove_prefix(1);  // the comma
    const std::string_view option = options.substr(0, options.find(','));
    options.remove_prefix(option.size());
    unsigned value = 0;
    if (option.starts_with("site=") && readNumber(option.substr(5), UecpAddress::kMaxSite, value)) {
      address.site = static_cast<std::uint16_t>(value);
    } else if (option.starts_with("encoder=") &&
               readNumber(option.substr(8), UecpAddress::kMaxEncoder, value)) {
      address.encoder = static_cast<std::uint8_t>(value);
    } else {
      error = "opção UECP inválida (site=0..1023, encoder=0..63): " + std::string(option);
      return false;
    }
  }
  return true;
}

bool readTcp(std::string_view rest, UecpTargetSpec& spec) {
  const auto colon = rest.rfind(':');
  unsigned port = 0;
  if (colon == std::string_view::npos || colon == 0 ||
      !readNumber(rest.substr(colon + 1), kMaxPort, port) || port == 0) {
    return false;
  }
  spec.host = std::string(rest.substr(0, colon));
  spec.port = static_cast<std::uint16_t>(port);
  return true;
}

// A device name may hold colons of its own; only digits after the last one are a speed.
bool readSerial(std::string_view rest, UecpTargetSpec& spec) {
  const auto colon = rest.rfind(':');
  unsigned baud = 0;
  if (colon != std::string_view::npos &&
      readNumber(rest.substr(colon + 1), static_cast<unsigned>(kBauds.back()), baud)) {
    spec.baud = static_cast<int>(baud);
    rest = rest.substr(0, colon);
  }
  spec.device = std::string(rest);
  return !spec.device.empty() && isSupportedBaud(spec.baud);
}

}  // namespace

bool isSupportedBaud(int baud) {
  return std::ranges::find(kBauds, baud) != kBauds.end();
}

std::optional<UecpTargetSpec> parseUecpTarget(std::string_view text, std::string& error) {
  UecpTargetSpec spec;
  spec.name = std::string(text.substr(0, text.find(',')));
  const std::string_view where = spec.name;
  bool valid = false;
  if (where.starts_with("tcp:")) {
    valid = readTcp(where.substr(4), spec);
  } else if (where.starts_with("serial:")) {
    spec.kind = UecpTargetSpec::Kind::Serial;
    valid = readSerial(where.substr(7), spec);
  }
  if (!valid) {
    error = "destino UECP inválido (tcp:ENDEREÇO:PORTO ou serial:DISPOSITIVO[:VELOCIDADE]): " +
            spec.name;
    return std::nullopt;
  }
  if (!readAddress(text.substr(where.size()), spec.address, error)) return std::nullopt;
  return spec;
}

std::optional<UecpListenSpec> parseUecpListen(std::string_view text, std::string& error) {
  UecpListenSpec spec;
  const std::string_view where = text.substr(0, text.find(','));
  const auto colon = where.rfind(':');
  unsigned port = 0;
  if (!readNumber(colon == std::string_view::npos ? where : where.substr(colon + 1), kMaxPort,
                  port)) {
    error = "--uecp-listen precisa de [ENDEREÇO:]PORTO: " + std::string(where);
    return std::nullopt;
  }
  if (colon != std::string_view::npos) spec.address = std::string(where.substr(0, colon));
  spec.port = static_cast<std::uint16_t>(port);
  if (!readAddress(text.substr(where.size()), spec.own, error)) return std::nullopt;
  return spec;
}

}  // namespace orvane
