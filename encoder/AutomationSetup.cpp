#include "AutomationSetup.h"

#include "HttpDoor.h"

namespace orvane {

std::vector<PollTask*> AutomationDoors::tasks() const {
  std::vector<PollTask*> all;
  for (PollTask* task : std::initializer_list<PollTask*>{desk.get(), lines.get(), http.get(),
                                                         file.get(), streamServer.get()}) {
    if (task) all.push_back(task);
  }
  return all;
}

void AutomationDoors::announce(AirLog& log, const AutomationOptions& options) const {
  if (lines) {
    log.writeUnstamped("orvane-encoder: linhas de automação em " + options.lines->address + ":" +
                       std::to_string(lines->port()));
  }
  if (http) {
    log.writeUnstamped("orvane-encoder: HTTP em " + options.http->address + ":" +
                       std::to_string(http->port()));
  }
}

AutomationDesk::Settings deskSettings(const ServerOptions& server) {
  const AutomationOptions& options = server.automation;
  AutomationDesk::Settings settings;
  settings.pattern = options.nowPlayingTemplate;
  settings.enhancedPattern = options.enhancedRadiotextTemplate;
  settings.timeout = options.nowPlayingTimeout;
  settings.skip = options.nowPlayingSkip;
  settings.defaultText = options.defaultText;
  settings.ownProgrammeIdentification = server.programmeIdentification;
  settings.radiotextPlus = server.radiotextPlus.has_value();
  return settings;
}

bool openAutomation(const ServerOptions& server, EncoderState& state, AirLog& log,
                    AutomationDoors& doors, std::string& error) {
  const AutomationOptions& options = server.automation;
  if (!options.lines && !options.http && options.nowPlayingFile.empty() &&
      options.icecast.empty()) {
    return true;
  }
  doors.desk = std::make_unique<AutomationDesk>(state, log, deskSettings(server));
  if (options.lines) {
    doors.lines = std::make_unique<LineDoor>(*doors.desk, log);
    if (!doors.lines->open(options.lines->address, options.lines->port, error)) return false;
  }
  if (options.http) {
    doors.http = std::make_unique<HttpServer>(*options.http, log);
    addHttpDoor(*doors.http, *doors.desk);
    if (!doors.http->open(error)) return false;
  }
  if (!options.nowPlayingFile.empty()) {
    doors.file = std::make_unique<FileDoor>(options.nowPlayingFile, *doors.desk, log);
    if (!doors.file->open(error)) return false;
  }
  if (!options.icecast.empty()) {
    doors.streamServer =
        std::make_unique<StreamStatusDoor>(options.icecast, options.icecastMount, *doors.desk, log);
    if (!doors.streamServer->open(error)) return false;
  }
  return true;
}

}  // namespace orvane
