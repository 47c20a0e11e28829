#include "HttpDoor.h"

#include "DoorJson.h"

namespace orvane {
namespace {

constexpr int kOk = 200;
constexpr int kAccepted = 202;  // understood, and filtered off the air
constexpr int kBadRequest = 400;
constexpr int kUnprocessable = 422;
constexpr int kServiceUnavailable = 503;
constexpr std::string_view kJsonType = "application/json; charset=utf-8";

HttpResponse text(int status, std::string body) {
  return {status, "text/plain; charset=utf-8", std::move(body) + "\n"};
}

HttpResponse answerOf(const AutomationDesk::Outcome& outcome) {
  switch (outcome.kind) {
    case AutomationDesk::Outcome::Kind::OnAir:
    case AutomationDesk::Outcome::Kind::Partly:
      return text(kOk, outcome.message.empty() ? "OK" : "OK: " + outcome.message);
    case AutomationDesk::Outcome::Kind::Skipped:
      return text(kAccepted, outcome.message);
    case AutomationDesk::Outcome::Kind::Refused:
      break;
  }
  // A request that was read whole and then refused is well formed: 422, not 400.
  const bool busy = outcome.refusal.kind == Refusal::Kind::Busy;
  return text(busy ? kServiceUnavailable : kUnprocessable, outcome.refusal.text);
}

std::string sourceOf(const HttpRequest& request) {
  return "HTTP " + request.peer;
}

std::string argument(const HttpRequest& request, const char* name) {
  const auto found = request.query.find(name);
  return found == request.query.end() ? std::string{} : found->second;
}

// Liquidsoap's scripts post a JSON object; everyone else a query or a form.
bool isJson(const HttpRequest& request) {
  const auto type = request.headers.find("content-type");
  return type != request.headers.end() && type->second.starts_with("application/json");
}

}  // namespace

std::variant<NowPlaying, std::string> nowPlayingFromQuery(const HttpRequest& request) {
  NowPlaying song;
  song.artist = argument(request, "artist");
  song.title = argument(request, "title");
  song.album = argument(request, "album");
  song.category = argument(request, "category");
  song.text = argument(request, "text");
  const std::string duration = argument(request, "duration");
  if (!duration.empty()) {
    song.duration = readDuration(duration);
    if (!song.duration) return std::string("duração inválida (segundos, até 24 h)");
  }
  return song;
}

void addHttpDoor(HttpServer& server, AutomationDesk& desk) {
  const HttpHandler nowPlaying = [&desk](const HttpRequest& request) {
    const auto song =
        isJson(request) ? readNowPlayingJson(request.body) : nowPlayingFromQuery(request);
    if (const auto* error = std::get_if<std::string>(&song)) return text(kBadRequest, *error);
    return answerOf(desk.song(std::get<NowPlaying>(song), sourceOf(request)));
  };
  server.route("GET", "/nowplaying", nowPlaying);
  server.route("POST", "/nowplaying", nowPlaying);
  server.route("POST", "/nowplaying/azuracast", [&desk](const HttpRequest& request) {
    const auto song = readAzuraCastJson(request.body);
    if (const auto* error = std::get_if<std::string>(&song)) return text(kBadRequest, *error);
    // Off line: answered as done, or AzuraCast logs a failed web hook for every silence.
    const auto& playing = std::get<std::optional<NowPlaying>>(song);
    if (!playing) return text(kOk, "OK");
    return answerOf(desk.song(*playing, sourceOf(request)));
  });
  server.route("GET", "/state", [&desk](const HttpRequest&) {
    return HttpResponse{kOk, std::string(kJsonType), stateJson(desk.readBack())};
  });
  server.route("POST", "/state", [&desk](const HttpRequest& request) {
    const auto values = readStateJson(request.body);
    if (const auto* refusal = std::get_if<Refusal>(&values)) {
      return text(kBadRequest, refusal->text);
    }
    return answerOf(desk.set(std::get<0>(values), sourceOf(request)));
  });
}

}  // namespace orvane
