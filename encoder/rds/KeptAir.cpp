#include "KeptAir.h"

#include <algorithm>
#include <cstdio>

namespace orvane {
namespace {

using nlohmann::json;

constexpr std::string_view kFormat = "orvane-encoder-state";
// 2: the schedule entry running and the song item. A file of version 1 reads as one without.
constexpr int kVersion = 2;
constexpr int kOldestVersion = 1;
// A scrolling name runs through any length; a file claiming more is not one we wrote.
constexpr std::size_t kMaxKeptNameLength = 1024;
constexpr std::size_t kMaxTypeNameLength = 8;
constexpr int kMaxProgrammeType = 31;
constexpr int kMaxDecoderIdentification = 15;

// Texts are Windows-1252 bytes, which JSON cannot hold as they are; each byte becomes the code
// point of the same number, so that every byte comes back exactly and accents stay readable.
std::string codePointsOf(std::string_view bytes) {
  std::string utf8;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

// The reverse; none when a code point is past one byte, or a byte is a control, which no
// door lets on air.
std::optional<std::string> bytesOf(const std::string& utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    unsigned value = lead;
    if (lead >= 0x80) {
      if ((lead & 0xFE) != 0xC2 || i + 1 == utf8.size()) return std::nullopt;
      value = ((lead & 0x03U) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3FU);
    }
    if (value < 0x20 || value == 0x7F) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

std::string checkOf(const std::string& text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a, 64 bits
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  char hex[20];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

json tagsJson(const OnAirState::SongTags& song) {
  json tags = json::array();
  for (const RtPlusTag& tag : song.tags.tags) {
    tags.push_back({tag.contentType, tag.start, tag.length});
  }
  return {{"text", codePointsOf(song.text)}, {"running", song.tags.itemRunning}, {"tags", tags}};
}

json airJson(const KeptAir& kept) {
  const OnAirState& a = kept.air;
  json air = {
      {"pty", a.programmeType},
      {"ps", codePointsOf(a.programmeServiceName)},
      {"rt", {codePointsOf(a.radiotext[0]), codePointsOf(a.radiotext[1])}},
      {"item", {a.programmeItemTime.day, a.programmeItemTime.hour, a.programmeItemTime.minute}},
      {"group4a", a.clockTimeGroups},
      {"group1a", a.programmeItemGroups},
      {"di", a.decoderIdentification},
      {"timeInPs", a.timeInServiceName},
      {"ta", a.trafficAnnouncement},
      {"tp", a.trafficProgramme},
      {"ms", a.music},
      {"ptyn", codePointsOf(a.programmeTypeName)},
      {"lps", a.longServiceName},  // UTF-8 already
      {"dps", codePointsOf(a.scrollingServiceName)},
      {"dpss", a.scrollSpeed},
      {"ert", a.enhancedRadiotext},
  };
  if (a.songTags) air["song"] = tagsJson(*a.songTags);
  if (kept.songEndsUnixMicros) air["songEnds"] = *kept.songEndsUnixMicros;
  if (kept.trafficEndsUnixMicros) air["taEnds"] = *kept.trafficEndsUnixMicros;
  if (const auto& rotation = kept.continuity.rotation) {
    air["rotation"] = {rotation->line, rotation->textB};
  }
  if (const auto& item = kept.continuity.songItem) {
    air["songItem"] = {item->toggle, codePointsOf(item->song)};
  }
  if (!kept.agenda.is_null()) air["agenda"] = kept.agenda;
  return air;
}

// Thrown inside the reader only, where nlohmann's own type errors come out the same way.
struct OutOfRange {
  std::string what;
};

int bounded(const json& value, int low, int high, const char* name) {
  const int number = value.get<int>();
  if (number < low || number > high) throw OutOfRange{name};
  return number;
}

std::string text(const json& value, std::size_t maxLength, const char* name) {
  auto bytes = bytesOf(value.get<std::string>());
  if (!bytes || bytes->size() > maxLength) throw OutOfRange{name};
  return *bytes;
}

// The parser has checked the UTF-8; what the doors refuse is refused here too.
std::string utf8Text(const json& value, std::size_t maxLength, const char* name) {
  auto bytes = value.get<std::string>();
  if (bytes.size() > maxLength ||
      std::ranges::any_of(bytes, [](char c) { return (c >= 0 && c < 0x20) || c == 0x7F; })) {
    throw OutOfRange{name};
  }
  return bytes;
}

OnAirState::SongTags songOf(const json& song) {
  OnAirState::SongTags tags;
  tags.text = text(song.at("text"), kMaxRadiotextLength, "song.text");
  tags.tags.itemRunning = song.at("running").get<bool>();
  const json& list = song.at("tags");
  if (list.size() != tags.tags.tags.size()) throw OutOfRange{"song.tags"};
  for (std::size_t i = 0; i < tags.tags.tags.size(); ++i) {
    RtPlusTag& tag = tags.tags.tags[i];
    tag.contentType = bounded(list.at(i).at(0), 0, 63, "song.tags");
    tag.start = bounded(list.at(i).at(1), 0, kMaxTagStart, "song.tags");
    tag.length = bounded(list.at(i).at(2), 0, kMaxTagLength[i], "song.tags");
  }
  return tags;
}

KeptAir keptOf(const json& air) {
  KeptAir kept;
  OnAirState& a = kept.air;
  a.programmeType = bounded(air.at("pty"), 0, kMaxProgrammeType, "pty");
  a.programmeServiceName = text(air.at("ps"), kMaxKeptNameLength, "ps");
  for (std::size_t line = 0; line < a.radiotext.size(); ++line) {
    a.radiotext[line] = text(air.at("rt").at(line), kMaxRadiotextLength, "rt");
  }
  const json& item = air.at("item");
  // Day 0 is the start value: no programme item yet.
  a.programmeItemTime = {bounded(item.at(0), 0, 31, "item"), bounded(item.at(1), 0, 23, "item"),
                         bounded(item.at(2), 0, 59, "item")};
  a.clockTimeGroups = air.at("group4a").get<bool>();
  a.programmeItemGroups = air.at("group1a").get<bool>();
  a.decoderIdentification = bounded(air.at("di"), 0, kMaxDecoderIdentification, "di");
  a.timeInServiceName = air.at("timeInPs").get<bool>();
  a.trafficAnnouncement = air.at("ta").get<bool>();
  a.trafficProgramme = air.at("tp").get<bool>();
  a.music = air.at("ms").get<bool>();
  a.programmeTypeName = text(air.at("ptyn"), kMaxTypeNameLength, "ptyn");
  // A file from before the long name has none.
  if (air.contains("lps")) {
    a.longServiceName = utf8Text(air.at("lps"), kLongServiceNameLength, "lps");
  }
  if (air.contains("dps"))
    a.scrollingServiceName = text(air.at("dps"), kMaxScrollingNameLength, "dps");
  if (air.contains("dpss")) a.scrollSpeed = bounded(air.at("dpss"), 0, kMaxScrollSpeed, "dpss");
  if (air.contains("ert")) {
    a.enhancedRadiotext = utf8Text(air.at("ert"), kEnhancedRadiotextLength, "ert");
  }
  if (air.contains("song")) a.songTags = songOf(air.at("song"));
  if (air.contains("songEnds")) kept.songEndsUnixMicros = air.at("songEnds").get<std::int64_t>();
  if (air.contains("taEnds")) kept.trafficEndsUnixMicros = air.at("taEnds").get<std::int64_t>();
  if (air.contains("rotation")) {
    kept.continuity.rotation = RadiotextCycle::Rotation{
        bounded(air.at("rotation").at(0), 0, 1, "rotation"), air.at("rotation").at(1).get<bool>()};
  }
  if (air.contains("songItem")) {
    kept.continuity.songItem =
        RadiotextPlus::Item{air.at("songItem").at(0).get<bool>(),
                            text(air.at("songItem").at(1), kMaxKeptNameLength, "songItem")};
  }
  if (air.contains("agenda")) kept.agenda = air.at("agenda");
  return kept;
}

}  // namespace

nlohmann::json keptText(std::string_view bytes) {
  return codePointsOf(bytes);
}

std::optional<std::string> keptTextBytes(const nlohmann::json& value, std::size_t maxLength) {
  if (!value.is_string()) return std::nullopt;
  auto bytes = bytesOf(value.get<std::string>());
  if (!bytes || bytes->size() > maxLength) return std::nullopt;
  return bytes;
}

std::string keptAirText(const KeptAir& kept) {
  const json air = airJson(kept);
  const json file = {
      {"format", kFormat}, {"version", kVersion}, {"air", air}, {"check", checkOf(air.dump())}};
  return file.dump(2) + "\n";
}

std::variant<KeptAir, KeptAirRefusal> readKeptAir(std::string_view text) {
  const json file = json::parse(text, nullptr, false);
  if (file.is_discarded()) return KeptAirRefusal{"não é JSON inteiro (truncado ou danificado)"};
  if (!file.is_object() || !file.contains("format") || file["format"] != kFormat) {
    return KeptAirRefusal{"não é um ficheiro de estado do orvane-encoder"};
  }
  if (!file.contains("version") || !file["version"].is_number_integer()) {
    return KeptAirRefusal{"sem versão"};
  }
  const auto version = file["version"].get<std::int64_t>();
  if (version < kOldestVersion || version > kVersion) {
    return KeptAirRefusal{"versão " + std::to_string(version) + ", esta lê da versão " +
                          std::to_string(kOldestVersion) + " à " + std::to_string(kVersion)};
  }
  if (!file.contains("air") || !file.contains("check") || !file["check"].is_string() ||
      file["check"].get<std::string>() != checkOf(file["air"].dump())) {
    return KeptAirRefusal{"a verificação não confere (danificado ou editado)"};
  }
  try {
    return keptOf(file["air"]);
  } catch (const OutOfRange& bad) {
    return KeptAirRefusal{"valor fora do intervalo: " + bad.what};
  } catch (const json::exception&) {
    return KeptAirRefusal{"falta um valor ou tem o tipo errado"};
  }
}

}  // namespace orvane
