#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "AlternativeFrequencies.h"
#include "AutomationOptions.h"
#include "GroupSequence.h"
#include "OtherNetwork.h"
#include "RtPlusTagger.h"
#include "SignalOptions.h"
#include "UecpTargetSetting.h"

namespace orvane {

inline constexpr std::uint16_t kDefaultPort = 6969;
// Country 8 (Portugal), national coverage, programme 01: a code that reads as Portuguese on a
// receiver and is easy to recognise as the default.
inline constexpr std::uint16_t kDefaultProgrammeIdentification = 0x8201;
// Longer than a peer's own restart, shorter than an operator's patience.
inline constexpr std::chrono::seconds kDefaultAlarmTargetDown(60);
// A traffic announcement longer than this is one a playout forgot to clear.
inline constexpr std::chrono::seconds kDefaultTrafficTimeout = std::chrono::minutes(5);
inline constexpr double kMaxSeconds = 1'000'000;  // what an integer sample count takes with room

struct ServerOptions {
  std::string address = "127.0.0.1";  // dotted IPv4; loopback unless asked otherwise
  std::uint16_t port = kDefaultPort;  // 0 lets the system pick a free port
  bool echo = false;
  bool help = false;
  std::string configPath;  // the TOML file the options come from; empty: the command line only
  bool check = false;      // read and check everything, then end

  std::uint16_t programmeIdentification = kDefaultProgrammeIdentification;
  // Tells countries that share the PI's country digit apart (Portugal: PI 8xxx, ECC E4).
  std::optional<std::uint8_t> extendedCountryCode;
  std::string groupsPath;         // empty: no group output; "-": standard output
  std::string mpxPath;            // likewise; a file is a WAV, standard output raw
  std::optional<double> seconds;  // length of the signal; none: until stopped
  bool realtime = false;          // pace standard output by the clock
  std::string commandsPath;       // apply this file and serve no console

  AlternativeFrequencies alternativeFrequencies;  // none: block C says "no AF"
  std::string trafficServiceName;                 // Windows-1252; empty: the PS stays in a TA
  std::vector<OtherNetwork> otherNetworks;        // EON, numbered as given; none by default
  std::optional<GroupSequence> groupSequence;     // none: GroupSequence::standard()
  std::optional<RtPlusFormat> radiotextPlus;      // none: no RadioText Plus
  bool radiotextPlusAsked = false;                // --rtplus: a format alone must not turn it on

  std::vector<UecpTargetSetting> uecpTargets;   // peer encoders that get every change
  std::optional<UecpListenSetting> uecpListen;  // where automation systems reach us
  AutomationOptions automation;                 // where playout systems reach us
  SignalOptions signal;                         // the multiplex's rate, level and loop-through

  // Alarms: the radiotext unchanged on air for so long (none: never), a UECP target down for
  // longer than this.
  std::optional<std::chrono::seconds> alarmStale;
  std::chrono::seconds alarmTargetDown = kDefaultAlarmTargetDown;

  // The air kept across restarts: in statePath, or the default place; none with --no-state.
  std::optional<std::string> statePath;
  bool keepState = true;
  std::chrono::seconds trafficTimeout = kDefaultTrafficTimeout;
  std::string schedulePath;  // the TOML file whose [[schedule]] tables go on air; empty: none

  // --pi was given, so that UECP peers are told the code too; the default is ours alone.
  bool programmeIdentificationGiven = false;

  [[nodiscard]] bool hasOutput() const {
    return !groupsPath.empty() || !mpxPath.empty() || !signal.audio.empty();
  }
  [[nodiscard]] bool writesToStandardOutput() const { return groupsPath == "-" || mpxPath == "-"; }
  [[nodiscard]] bool servesConsole() const { return commandsPath.empty(); }
};

struct OptionsError {
  std::string message;
};

// Reads the command-line arguments after the program name: every option through its row of the
// option table, then what only the whole set can tell.
[[nodiscard]] std::variant<ServerOptions, OptionsError> parseOptions(
    const std::vector<std::string_view>& args);

// The usage, from the option table.
[[nodiscard]] std::string usageText();

}  // namespace orvane
