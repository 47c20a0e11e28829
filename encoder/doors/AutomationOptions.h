#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HttpServer.h"
#include "OptionRow.h"

namespace orvane {

// Where playout systems reach the encoder, and what a song does on air. Every door is off until
// its option is given.
struct AutomationOptions {
  struct Endpoint {
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;
  };

  std::optional<Endpoint> lines;     // --automation: KEY=value lines over TCP and UDP
  std::optional<HttpSettings> http;  // --http, with --http-token
  std::string httpToken;
  std::string nowPlayingFile;  // --now-playing

  std::string nowPlayingTemplate = "{artist} - {title}";
  std::string enhancedRadiotextTemplate;  // UTF-8; empty: a song leaves the eRT as it is
  std::chrono::seconds nowPlayingTimeout = std::chrono::minutes(15);  // a song without a duration
  std::string nowPlayingSkip;              // a regular expression; empty: nothing is skipped
  std::optional<std::string> defaultText;  // UTF-8; none: the text on air before the first song

  std::string icecast;       // --icecast: a stream server's URL, polled for its song
  std::string icecastMount;  // --icecast-mount: "/live"; empty: the first on line
};

// The rows of the doors' options, all of which take a value and are given at most once.
[[nodiscard]] const std::vector<OptionRow<AutomationOptions>>& automationOptionRows();

// What only the whole set can tell: a token without the door, a network address without one.
[[nodiscard]] std::optional<std::string> checkAutomationOptions(AutomationOptions& options);

}  // namespace orvane
