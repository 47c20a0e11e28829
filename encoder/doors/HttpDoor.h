#pragma once

#include "AutomationDesk.h"
#include "HttpServer.h"

namespace orvane {

// The playout endpoints of the HTTP door:
//   GET|POST /nowplaying?artist=&title=&album=&duration=&text=&category=  a song
//   POST /nowplaying/azuracast                                          AzuraCast's web hook
//   GET /state, POST /state (a JSON object of the line door's keys)     the values on air
// Answers are plain text ("OK", or why not) except /state, which is JSON.
void addHttpDoor(HttpServer& server, AutomationDesk& desk);

// A song from a request's arguments; the error (UTF-8) when the duration is not one.
[[nodiscard]] std::variant<NowPlaying, std::string> nowPlayingFromQuery(const HttpRequest& request);

}  // namespace orvane
