#include "AutomationSetup.h"

#include "HttpDoor.h"

namespace orvane {
namespace {

// A door asked for on the port it was given in place of 0 is where it is asked to be.
[[nodiscard]] bool samePlace(const auto& before, const auto& after, std::uint16_t bound) {
  return before.address == after.address && (after.port == before.port || after.port == bound);
}

void announceLines(AirLog& log, const std::string& address, const LineDoor& lines) {
  log.writeUnstamped("orvane-encoder: linhas de automação em " + address + ":" +
                     std::to_string(lines.port()));
}

void announceHttp(AirLog& log, const HttpServer& http) {
  log.writeUnstamped("orvane-encoder: HTTP em " + http.settings().address + ":" +
                     std::to_string(http.port()));
}

std::optional<DoorFailure> moveLines(const AutomationOptions& before,
                                     const AutomationOptions& after, AirLog& log,
                                     AutomationDoors& doors) {
  if (!after.lines) {
    doors.lines.reset();
    return std::nullopt;
  }
  if (doors.lines && before.lines && samePlace(*before.lines, *after.lines, doors.lines->port())) {
    return std::nullopt;
  }
  auto lines = doors.lines ? std::move(doors.lines) : std::make_unique<LineDoor>(*doors.desk, log);
  std::string error;
  const bool opened = lines->open(after.lines->address, after.lines->port, error);
  if (opened) announceLines(log, after.lines->address, *lines);
  // A door that was not there before and cannot open stays away.
  if (opened || before.lines) doors.lines = std::move(lines);
  if (opened) return std::nullopt;
  return DoorFailure{{"automation"}, error};
}

std::optional<DoorFailure> moveHttp(const AutomationOptions& before, const AutomationOptions& after,
                                    AirLog& log, AutomationDoors& doors) {
  if (!after.http) {
    doors.http.reset();
    return std::nullopt;
  }
  if (doors.http && before.http && samePlace(*before.http, *after.http, doors.http->port())) {
    doors.http->setToken(after.http->token);
    return std::nullopt;
  }
  auto http = std::make_unique<HttpServer>(*after.http, log);
  addHttpDoor(*http, *doors.desk);
  std::string error;
  if (!http->open(error)) return DoorFailure{{"http", "http-token"}, error};
  doors.http = std::move(http);
  announceHttp(log, *doors.http);
  return std::nullopt;
}

// A file or a stream server has no clients to keep: a changed one is watched anew, and the old
// one goes once the new one is open.
std::optional<DoorFailure> moveFileWatcher(const AutomationOptions& before,
                                           const AutomationOptions& after, AirLog& log,
                                           AutomationDoors& doors) {
  if (after.nowPlayingFile == before.nowPlayingFile) return std::nullopt;
  if (after.nowPlayingFile.empty()) {
    doors.file.reset();
    return std::nullopt;
  }
  auto file = std::make_unique<FileDoor>(after.nowPlayingFile, *doors.desk, log);
  std::string error;
  if (!file->open(error)) return DoorFailure{{"now-playing"}, error};
  doors.file = std::move(file);
  return std::nullopt;
}

std::optional<DoorFailure> moveStreamPoller(const AutomationOptions& before,
                                            const AutomationOptions& after, AirLog& log,
                                            AutomationDoors& doors) {
  if (after.icecast == before.icecast && after.icecastMount == before.icecastMount) {
    return std::nullopt;
  }
  if (after.icecast.empty()) {
    doors.streamServer.reset();
    return std::nullopt;
  }
  auto server =
      std::make_unique<StreamStatusDoor>(after.icecast, after.icecastMount, *doors.desk, log);
  std::string error;
  if (!server->open(error)) return DoorFailure{{"icecast", "icecast-mount"}, error};
  doors.streamServer = std::move(server);
  return std::nullopt;
}

}  // namespace

bool asksForDoor(const AutomationOptions& options) {
  return options.lines || options.http || !options.nowPlayingFile.empty() ||
         !options.icecast.empty();
}

std::vector<PollTask*> AutomationDoors::tasks() const {
  std::vector<PollTask*> all;
  for (PollTask* task : std::initializer_list<PollTask*>{desk.get(), lines.get(), http.get(),
                                                         file.get(), streamServer.get()}) {
    if (task) all.push_back(task);
  }
  return all;
}

void AutomationDoors::announce(AirLog& log, const AutomationOptions& options) const {
  if (lines) announceLines(log, options.lines->address, *lines);
  if (http) announceHttp(log, *http);
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
  if (!asksForDoor(options)) return true;
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

std::vector<DoorFailure> moveDoors(const ServerOptions& before, const ServerOptions& after,
                                   EncoderState& state, AirLog& log, AutomationDoors& doors) {
  if (!doors.desk && !asksForDoor(after.automation)) return {};
  if (!doors.desk) doors.desk = std::make_unique<AutomationDesk>(state, log, deskSettings(after));
  std::vector<DoorFailure> failed;
  for (auto move : {moveLines, moveHttp, moveFileWatcher, moveStreamPoller}) {
    if (auto failure = move(before.automation, after.automation, log, doors)) {
      failed.push_back(std::move(*failure));
    }
  }
  return failed;
}

}  // namespace orvane
