#include "UecpTargetSetting.h"

#include <algorithm>
#include <array>

#include "OptionNumber.h"

namespace orvane {
namespace {

constexpr std::array<int, 8> kBauds = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// ",site=N,encoder=N" in any order; true when every option was one of these, in range.
bool readAddress(std::string_view options, UecpAddress& address, std::string& error) {
  while (!options.empty()) {
    options.remove_prefix(1);  // the comma
    const std::string_view option = options.substr(0, options.find(','));
    options.remove_prefix(option.size());
    unsigned value = 0;
    if (option.starts_with("site=") &&
        readOptionNumber(option.substr(5), UecpAddress::kMaxSite, value)) {
      address.site = static_cast<std::uint16_t>(value);
    } else if (option.starts_with("encoder=") &&
               readOptionNumber(option.substr(8), UecpAddress::kMaxEncoder, value)) {
      address.encoder = static_cast<std::uint8_t>(value);
    } else {
      error = "opção UECP inválida (site=0..1023, encoder=0..63): " + std::string(option);
      return false;
    }
  }
  return true;
}

// HOST:PORT, for TCP and UDP alike.
bool readHostPort(std::string_view rest, UecpTargetSetting& setting) {
  const auto colon = rest.rfind(':');
  unsigned port = 0;
  if (colon == std::string_view::npos || colon == 0 ||
      !readOptionNumber(rest.substr(colon + 1), kMaxPort, port) || port == 0) {
    return false;
  }
  setting.host = std::string(rest.substr(0, colon));
  setting.port = static_cast<std::uint16_t>(port);
  return true;
}

// A device name may hold colons of its own; only digits after the last one are a speed.
bool readSerial(std::string_view rest, UecpTargetSetting& setting) {
  const auto colon = rest.rfind(':');
  unsigned baud = 0;
  if (colon != std::string_view::npos &&
      readOptionNumber(rest.substr(colon + 1), static_cast<unsigned>(kBauds.back()), baud)) {
    setting.baud = static_cast<int>(baud);
    rest = rest.substr(0, colon);
  }
  setting.device = std::string(rest);
  return !setting.device.empty() && std::ranges::find(kBauds, setting.baud) != kBauds.end();
}

}  // namespace

std::optional<UecpTargetSetting> parseUecpTarget(std::string_view text, std::string& error) {
  UecpTargetSetting setting;
  setting.name = std::string(text.substr(0, text.find(',')));
  const std::string_view where = setting.name;
  bool valid = false;
  if (where.starts_with("tcp:")) {
    valid = readHostPort(where.substr(4), setting);
  } else if (where.starts_with("udp:")) {
    setting.kind = UecpTargetSetting::Kind::Udp;
    valid = readHostPort(where.substr(4), setting);
  } else if (where.starts_with("serial:")) {
    setting.kind = UecpTargetSetting::Kind::Serial;
    valid = readSerial(where.substr(7), setting);
  }
  if (!valid) {
    error =
        "destino UECP inválido (tcp:ENDEREÇO:PORTO, udp:ENDEREÇO:PORTO ou "
        "serial:DISPOSITIVO[:VELOCIDADE]): " +
        setting.name;
    return std::nullopt;
  }
  if (!readAddress(text.substr(where.size()), setting.address, error)) return std::nullopt;
  return setting;
}

std::optional<UecpListenSetting> parseUecpListen(std::string_view text, std::string& error) {
  UecpListenSetting setting;
  setting.datagrams = text.starts_with("udp:");
  if (text.starts_with("udp:") || text.starts_with("tcp:")) text.remove_prefix(4);
  const std::string_view where = text.substr(0, text.find(','));
  const auto colon = where.rfind(':');
  unsigned port = 0;
  if (!readOptionNumber(colon == std::string_view::npos ? where : where.substr(colon + 1), kMaxPort,
                        port)) {
    error = "--uecp-listen precisa de [udp:][ENDEREÇO:]PORTO: " + std::string(where);
    return std::nullopt;
  }
  if (colon != std::string_view::npos) setting.address = std::string(where.substr(0, colon));
  setting.port = static_cast<std::uint16_t>(port);
  if (!readAddress(text.substr(where.size()), setting.own, error)) return std::nullopt;
  return setting;
}

}  // namespace orvane
