#include "DoorJson.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "PrintableQuote.h"

namespace orvane {

bool shallowEnoughJson(std::string_view text) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      inString = escaped || c != '"';
      escaped = !escaped && c == '\\';
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (++depth > kMaxJsonDepth) return false;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return true;
}

namespace {

using nlohmann::json;

std::variant<json, std::string> parse(std::string_view body) {
  if (!shallowEnoughJson(body)) return std::string("JSON aninhado demais");
  // The parser keeps the last of two equal keys, another reader the first: which one a station
  // meant is not for either to guess.
  std::vector<std::set<std::string>> keys;
  std::optional<std::string> repeated;
  const json::parser_callback_t watch = [&](int, json::parse_event_t event, json& parsed) {
    if (event == json::parse_event_t::object_start) keys.emplace_back();
    if (event == json::parse_event_t::object_end && !keys.empty()) keys.pop_back();
    if (event == json::parse_event_t::key && !keys.empty() &&
        !keys.back().insert(parsed.get<std::string>()).second && !repeated) {
      repeated = parsed.get<std::string>();
    }
    return true;
  };
  json document = json::parse(body, watch, false);
  if (document.is_discarded()) return std::string("JSON inválido");
  if (repeated) return "chave repetida: " + printableQuote(*repeated);
  if (!document.is_object()) return std::string("esperado um objeto JSON");
  return document;
}

// A value as text; false for a shape no playout sends (an object, a list).
bool valueText(const json& value, std::string& out) {
  if (value.is_string()) {
    out = value.get<std::string>();
  } else if (value.is_boolean()) {
    out = value.get<bool>() ? "1" : "0";
  } else if (value.is_number()) {
    out = value.dump();
  } else {
    return value.is_null();
  }
  return true;
}

bool textOf(const json& object, const char* name, std::string& out) {
  const auto found = object.find(name);
  return found == object.end() || valueText(*found, out);
}

// A song's own fields; null is an empty field, as AzuraCast sends an artist it does not know.
bool songFields(const json& song, NowPlaying& item, std::string& duration) {
  return textOf(song, "artist", item.artist) && textOf(song, "title", item.title) &&
         textOf(song, "album", item.album) && textOf(song, "text", item.text) &&
         textOf(song, "duration", duration);
}

// Live streams and songs of unknown length come with 0 or 0.0: no duration, not a wrong one.
bool songDuration(const std::string& duration, NowPlaying& item) {
  if (duration.empty() || duration.find_first_not_of("0.") == std::string::npos) return true;
  item.duration = readDuration(duration);
  return item.duration.has_value();
}

}  // namespace

std::variant<std::optional<NowPlaying>, std::string> readAzuraCastJson(std::string_view body) {
  auto parsed = parse(body);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  const json& document = std::get<json>(parsed);
  const auto nowPlaying = document.find("now_playing");
  if (nowPlaying != document.end() && nowPlaying->is_null()) return std::nullopt;
  if (nowPlaying == document.end() || !nowPlaying->is_object()) return "falta now_playing";
  const auto song = nowPlaying->find("song");
  if (song == nowPlaying->end() || !song->is_object()) return "falta now_playing.song";
  NowPlaying item;
  std::string duration;
  const bool shaped = songFields(*song, item, duration) &&
                      textOf(*nowPlaying, "playlist", item.category) &&
                      textOf(*nowPlaying, "duration", duration);
  if (!shaped) return "campo com forma inesperada em now_playing";
  if (!songDuration(duration, item)) return "duração inválida";
  return item;
}

std::variant<NowPlaying, std::string> readNowPlayingJson(std::string_view body) {
  auto parsed = parse(body);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  const json& document = std::get<json>(parsed);
  NowPlaying item;
  std::string duration;
  if (!songFields(document, item, duration) || !textOf(document, "category", item.category)) {
    return "campo com forma inesperada";
  }
  if (!songDuration(duration, item)) return "duração inválida (segundos, até 24 h)";
  return item;
}

std::variant<std::vector<std::pair<DoorKey, std::string>>, Refusal> readStateJson(
    std::string_view body) {
  auto parsed = parse(body);
  if (auto* error = std::get_if<std::string>(&parsed)) {
    return Refusal{Refusal::Kind::InvalidValue, *error};
  }
  std::vector<std::pair<DoorKey, std::string>> values;
  for (const auto& [name, value] : std::get<json>(parsed).items()) {
    const DoorKey key = doorKeyNamed(name);
    if (!key)
      return Refusal{Refusal::Kind::UnknownKey, "chave desconhecida: " + printableQuote(name)};
    std::string text;
    if (value.is_null() || !valueText(value, text)) {
      return Refusal{Refusal::Kind::InvalidValue,
                     printableQuote(name) + ": esperado texto, número ou verdadeiro/falso"};
    }
    values.emplace_back(key, std::move(text));
  }
  return values;
}

// The same values "??" lists on the line door.
std::string stateJson(const OnAirState& state) {
  json document = json::object();
  for (DoorKey key : doorReadAllFields()) {
    document[std::string(doorKeyName(key))] = readDoorValue(key, state);
  }
  return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace orvane
