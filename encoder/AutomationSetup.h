#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AirLog.h"
#include "AutomationDesk.h"
#include "AutomationOptions.h"
#include "EncoderState.h"
#include "FileDoor.h"
#include "HttpServer.h"
#include "LineDoor.h"
#include "ServerOptions.h"
#include "StreamStatusDoor.h"

namespace orvane {

// The playout doors the options ask for, open, with the desk they share; none when no door was
// asked for. Each door's address goes to the log as one unstamped line, for scripts to read.
struct AutomationDoors {
  std::unique_ptr<AutomationDesk> desk;
  std::unique_ptr<LineDoor> lines;
  std::unique_ptr<HttpServer> http;
  std::unique_ptr<FileDoor> file;
  std::unique_ptr<StreamStatusDoor> streamServer;

  [[nodiscard]] std::vector<PollTask*> tasks() const;
  void announce(AirLog& log, const AutomationOptions& options) const;
};

// Whether any playout door is asked for, so that the desk is needed.
[[nodiscard]] bool asksForDoor(const AutomationOptions& options);

// What the desk does with a song, from the options: its template, timeout, skip and default, the
// PI the signal carries and whether it carries RT+ tags.
[[nodiscard]] AutomationDesk::Settings deskSettings(const ServerOptions& options);

// False with `error` filled in when a door cannot be opened. The doors read back the PI the
// signal carries, and say when tags they were given cannot go out (no --rtplus).
[[nodiscard]] bool openAutomation(const ServerOptions& options, EncoderState& state, AirLog& log,
                                  AutomationDoors& doors, std::string& error);

// What a reload could not move, and why; the keys keep their old values.
struct DoorFailure {
  std::vector<std::string> keys;
  std::string why;
};

// A reload's doors, from `before` to `after`: a door whose settings did not change keeps its
// sockets and clients; one that moved opens in its new place before the old one closes, so that
// a place that is taken leaves it where it was, and is named in the result; one no longer asked
// for closes. The desk is made when the first door comes, and stays.
[[nodiscard]] std::vector<DoorFailure> moveDoors(const ServerOptions& before,
                                                 const ServerOptions& after, EncoderState& state,
                                                 AirLog& log, AutomationDoors& doors);

}  // namespace orvane
