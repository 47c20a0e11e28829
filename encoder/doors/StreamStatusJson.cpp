#include "StreamStatusJson.h"

#include <nlohmann/json.hpp>

#include "DoorJson.h"
#include "HtmlEntities.h"
#include "NowPlayingFile.h"

namespace orvane {
namespace {

using nlohmann::json;

std::optional<json> parsed(std::string_view body) {
  if (!shallowEnoughJson(body)) return std::nullopt;
  json document = json::parse(body, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return std::nullopt;
  return document;
}

// A string member, decoded; empty when absent or of another shape.
std::string textOf(const json& object, const char* name) {
  const auto found = object.find(name);
  return found != object.end() && found->is_string() ? decodeHtmlEntities(found->get<std::string>())
                                                     : std::string{};
}

std::optional<NowPlaying> songOf(const std::string& artist, const std::string& title) {
  if (title.empty() && artist.empty()) return std::nullopt;
  if (artist.empty()) return songOfLine(title);
  NowPlaying song;
  song.artist = artist;
  song.title = title;
  return song;
}

bool servesMount(const json& source, std::string_view mount) {
  if (mount.empty()) return true;
  const std::string url = textOf(source, "listenurl");
  return std::string_view(url).ends_with(mount);
}

}  // namespace

StreamStatus readIcecastStatus(std::string_view body, std::string_view mount) {
  const auto document = parsed(body);
  const json* stats =
      document && document->contains("icestats") ? &document->at("icestats") : nullptr;
  if (!stats || !stats->is_object()) {
    return std::string("resposta sem icestats: não é o estado de um Icecast");
  }
  const auto sources = stats->find("source");
  if (sources == stats->end() || sources->is_null()) return std::nullopt;
  const json list = sources->is_array() ? *sources : json::array({*sources});
  for (const json& source : list) {
    if (source.is_object() && servesMount(source, mount)) {
      return songOf(textOf(source, "artist"), textOf(source, "title"));
    }
  }
  if (mount.empty()) return std::nullopt;
  return "o ponto de montagem " + std::string(mount) + " não está no ar";
}

StreamStatus readShoutcastStats(std::string_view body) {
  const auto document = parsed(body);
  if (!document || !document->contains("songtitle")) {
    return std::string("resposta sem songtitle: não são as estatísticas de um Shoutcast");
  }
  const auto status = document->find("streamstatus");
  if (status != document->end() && status->is_number() && status->get<double>() == 0) {
    return std::nullopt;
  }
  return songOf({}, textOf(*document, "songtitle"));
}

}  // namespace orvane
