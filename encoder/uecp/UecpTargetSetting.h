#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "UecpFrame.h"

namespace orvane {

// Where a UECP peer encoder is, as given to --uecp: "tcp:HOST:PORT", "udp:HOST:PORT" (a frame
// a datagram, as a network's head reaches its sites) or "serial:DEVICE[:BAUD]", any followed by
// ",site=N" and ",encoder=N" (0, the default, meaning all).
struct UecpTargetSetting {
  enum class Kind { Tcp, Udp, Serial };
  static constexpr int kDefaultBaud = 9600;

  Kind kind = Kind::Tcp;
  std::string host;  // dotted IPv4 address or a name, looked up again at every attempt
  std::uint16_t port = 0;
  std::string device;
  int baud = kDefaultBaud;
  UecpAddress address;
  std::string name;  // the part before the options, for the log

  bool operator==(const UecpTargetSetting&) const = default;
};

// What --uecp-listen takes: "[tcp:|udp:][ADDR:]PORT", optionally followed by ",site=N" and
// ",encoder=N", the address Orvane answers to as an encoder.
struct UecpListenSetting {
  std::string address = "127.0.0.1";  // loopback unless asked otherwise, like --listen
  std::uint16_t port = 0;
  bool datagrams = false;  // UDP, one frame a datagram, rather than TCP connections
  UecpAddress own;
};

// Empty, with `error` in Portuguese, when the text is not a valid target.
[[nodiscard]] std::optional<UecpTargetSetting> parseUecpTarget(std::string_view text,
                                                               std::string& error);
[[nodiscard]] std::optional<UecpListenSetting> parseUecpListen(std::string_view text,
                                                               std::string& error);

}  // namespace orvane
