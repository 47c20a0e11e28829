#include "AutomationDesk.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "DoorText.h"
#include "EnhancedSongText.h"
#include "OnAirText.h"
#include "RdsLimits.h"
#include "SystemClock.h"
#include "Windows1252.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::int64_t kMicrosPerMinute = 60'000'000;
// A playout's text on air with no end: RTTIMER=0, as the boxes take it.
constexpr std::int64_t kNever = INT64_MAX;
constexpr std::size_t kMaxFilteredLength = 256;

// The doors name themselves and their peer for the log ("HTTP 10.0.0.5", "linhas 10.0.0.7",
// "UDP 10.0.0.7:5000"); a song's end is no door's change.
void recordSource(ChangeLedger& ledger, std::string_view source) {
  const std::size_t blank = source.find(' ');
  const std::string_view door = source.substr(0, blank);
  const std::string_view peer = blank == std::string_view::npos ? "" : source.substr(blank + 1);
  if (door == "HTTP") ledger.record(ChangeSource::Http, peer);
  if (door == "linhas" || door == "UDP") ledger.record(ChangeSource::Line, peer);
  if (door == "ficheiro") ledger.record(ChangeSource::File, peer);
}

// What a client is told, and the log says, when its value went on air shorter than it was sent.
std::string cutNote(std::string_view key, int bound) {
  return std::string(key) + ": cortado para caber em " + std::to_string(bound) + " caracteres";
}

}  // namespace

AutomationDesk::AutomationDesk(EncoderState& state, AirLog& log, Settings settings, Clock clock)
    : state_(state),
      log_(log),
      settings_(std::move(settings)),
      clock_(clock ? std::move(clock) : Clock(monotonicMicros)) {
  adoptSettings();
}

void AutomationDesk::adoptSettings() {
  skip_.reset();
  if (!settings_.skip.empty()) {
    skip_.emplace(settings_.skip, std::regex::ECMAScript | std::regex::icase);
  }
  std::string error;
  defaultText_.reset();
  if (settings_.defaultText)
    defaultText_ = doorText(*settings_.defaultText, kMaxRadiotextLength, error);
}

// A song on air keeps the end it was given; the old default text on air gives way to the new.
void AutomationDesk::setSettings(Settings settings) {
  const std::optional<std::string> oldDefault = defaultText_;
  settings_ = std::move(settings);
  adoptSettings();
  if (!songText_ && oldDefault && state_.onAir().radiotext[0] == *oldDefault) {
    startWithDefaultText();
  }
}

AutomationDesk::Outcome AutomationDesk::set(
    const std::vector<std::pair<DoorKey, std::string>>& values, std::string_view source) {
  OnAirState next = state_.onAir();
  const std::string before = next.radiotext[0];
  AssignedFields fields;
  std::string cuts;
  bool tags = false;
  std::vector<DeskSetting> settings;
  for (const auto& [key, value] : values) {
    bool cut = false;
    if (key->doorSyntax == DoorSyntax::Setting) {
      auto setting = readDeskSetting(key, value);
      if (auto* refusal = std::get_if<Refusal>(&setting)) {
        return {Outcome::Kind::Refused, {}, std::move(*refusal)};
      }
      settings.push_back(std::get<DeskSetting>(setting));
      if (settings.back().kind == DeskSetting::Kind::TrafficBound && !traffic_) {
        return {Outcome::Kind::Refused,
                {},
                {Refusal::Kind::NotOnAir, "TATIME: sem limite de TA neste serviço"}};
      }
      cut = settings.back().cut;
    } else if (auto refusal = applyDoorValue(key, value, next, fields, &cut)) {
      return {Outcome::Kind::Refused, {}, std::move(*refusal)};
    }
    if (cut) cuts += (cuts.empty() ? "" : "; ") + cutNote(key->doorKey, key->bound);
    tags =
        tags || key->doorSyntax == DoorSyntax::Markers || key->doorSyntax == DoorSyntax::XCommand;
  }
  putOnAir(next, fields, source);
  for (const DeskSetting& setting : settings) change(setting, source);
  if (!cuts.empty()) log_.writeAboutPeer("Cortado: " + cuts + " (" + std::string(source) + ")");
  // Only with a default text to return to: without one, a playout's text is the station's own,
  // as a station that sets it once at boot relies on.
  if (fields.has(OnAirField::Radiotext) && defaultText_) {
    startPlayoutText(before, next.radiotext[0], settings_.timeout);
  }
  // Receivers hear TA only beside TP, and tags only with RT+: a playout told "done" would think
  // its alert, or its song's tags, went out.
  std::string missing;
  if (fields.has(OnAirField::TrafficFlags) && next.trafficAnnouncement && !next.trafficProgramme) {
    missing = "TA: fora do ar sem TP";
  }
  if (tags && next.songTags && !settings_.radiotextPlus) {
    missing += (missing.empty() ? "" : "; ") + std::string("RT+: fora do ar sem --rtplus");
  }
  if (missing.empty()) return {Outcome::Kind::OnAir, cuts, {}};
  return {Outcome::Kind::Partly, cuts + (cuts.empty() ? "" : "; ") + missing, {}};
}

OnAirState AutomationDesk::readBack() const {
  OnAirState state = state_.onAir();
  if (!state.programmeIdentification && settings_.ownProgrammeIdentification != 0) {
    state.programmeIdentification = settings_.ownProgrammeIdentification;
  }
  return state;
}

// A new default text shows at once where the old one (or nothing) was on air: a playout that
// sets it at its start means it to be seen before its first song.
void AutomationDesk::change(const DeskSetting& setting, std::string_view source) {
  const std::string by = " (" + std::string(source) + ")";
  switch (setting.kind) {
    case DeskSetting::Kind::DefaultText: {
      const std::string& onAir = state_.onAir().radiotext[0];
      const bool defaultShown = onAir.empty() || (defaultText_ && onAir == *defaultText_);
      defaultText_ = setting.text;
      log_.write("RTDEFAULT " + (defaultText_ ? quotedText(*defaultText_) : "nenhum") + by);
      if (defaultShown && !songText_) startWithDefaultText();
      return;
    }
    case DeskSetting::Kind::TextTimeout:
      settings_.timeout = setting.minutes;
      log_.write("RTTIMER " + std::to_string(setting.minutes.count()) + " min" + by);
      return;
    case DeskSetting::Kind::TrafficBound:
      traffic_->setBound(
          std::chrono::duration_cast<std::chrono::microseconds>(setting.minutes).count());
      log_.write("TATIME " + std::to_string(setting.minutes.count()) + " min" + by);
      return;
  }
}

std::string AutomationDesk::read(DoorKey key) const {
  const std::string_view name = doorKeyName(key);
  if (name == "RTDEFAULT") return utf8FromWindows1252(defaultText_.value_or(""));
  if (name == "RTTIMER") {
    return std::to_string(
        std::chrono::duration_cast<std::chrono::minutes>(settings_.timeout).count());
  }
  if (name == "TATIME") {
    return traffic_ ? std::to_string(traffic_->health().boundMicros / kMicrosPerMinute) : "";
  }
  return readDoorValue(key, readBack());
}

AutomationDesk::Outcome AutomationDesk::song(const NowPlaying& song, std::string_view source) {
  bool cut = false;
  auto rendered = renderSong(song, settings_.pattern, &cut);
  if (const auto* error = std::get_if<std::string>(&rendered)) {
    return {Outcome::Kind::Refused, {}, {Refusal::Kind::InvalidValue, *error}};
  }
  auto& tags = std::get<OnAirState::SongTags>(rendered);
  if (skipped(song)) {
    log_.writeAboutPeer("Não vai para o ar (filtro): " + utf8FromWindows1252(tags.text) + " (" +
                        std::string(source) + ")");
    return {Outcome::Kind::Skipped, "filtrado, não vai para o ar", {}};
  }
  OnAirState next = state_.onAir();
  const std::string before = next.radiotext[0];
  next.radiotext[0] = tags.text;
  next.songTags.reset();
  if (tags.tags.itemRunning) next.songTags = tags;
  fillEnhancedText(song, next);
  AssignedFields fields;
  fields.set(OnAirField::Radiotext);
  putOnAir(next, fields, source);
  const auto lasts = song.duration ? *song.duration + kGrace : settings_.timeout;
  startPlayoutText(before, tags.text, std::chrono::duration_cast<std::chrono::microseconds>(lasts));
  if (!cut) return {};
  const std::string note = cutNote("TEXT", static_cast<int>(kMaxRadiotextLength));
  log_.writeAboutPeer("Cortado: " + note + " (" + std::string(source) + ")");
  return {Outcome::Kind::OnAir, note, {}};
}

// Kept until the song's text ends, as the radiotext is; what was there before comes back then.
void AutomationDesk::fillEnhancedText(const NowPlaying& song, OnAirState& next) {
  if (settings_.enhancedPattern.empty()) return;
  const auto text = renderEnhancedSong(song, settings_.enhancedPattern);
  if (!text) return;
  if (!songEnhancedText_ || *songEnhancedText_ != next.enhancedRadiotext) {
    stationEnhancedText_ = next.enhancedRadiotext;
  }
  next.enhancedRadiotext = *text;
  songEnhancedText_ = *text;
}

void AutomationDesk::startPlayoutText(const std::string& before, const std::string& text,
                                      std::chrono::microseconds lasts) {
  if (!songText_ || *songText_ != before) stationText_ = before;
  songText_ = text;
  expiresAt_ = lasts.count() > 0 ? clock_() + lasts.count() : kNever;
}

std::optional<std::int64_t> AutomationDesk::playoutTextEnds() const {
  if (!songText_ || expiresAt_ == kNever || state_.onAir().radiotext[0] != *songText_) {
    return std::nullopt;
  }
  return expiresAt_;
}

void AutomationDesk::startWithDefaultText() {
  if (!defaultText_ || state_.onAir().radiotext[0] == *defaultText_) return;
  OnAirState next = state_.onAir();
  next.radiotext[0] = *defaultText_;
  AssignedFields fields;
  fields.set(OnAirField::Radiotext);
  putOnAir(next, fields, "texto por omissão");
}

void AutomationDesk::resumePlayoutText(std::int64_t endsAt) {
  songText_ = state_.onAir().radiotext[0];
  if (!settings_.enhancedPattern.empty()) songEnhancedText_ = state_.onAir().enhancedRadiotext;
  stationText_ = defaultText_.value_or("");
  expiresAt_ = endsAt;
}

void AutomationDesk::putOnAir(const OnAirState& next, const AssignedFields& fields,
                              std::string_view source) {
  std::vector<std::string> lines = state_.replaceOnAir(next, fields);
  if (ledger_ && !lines.empty()) recordSource(*ledger_, source);
  for (std::string& line : lines) line += " (" + std::string(source) + ")";
  log_.write(lines);
}

bool AutomationDesk::skipped(const NowPlaying& song) const {
  if (!skip_) return false;
  return std::ranges::any_of(std::array{&song.artist, &song.title, &song.category},
                             [this](const std::string* field) {
                               // The regex engine recurses along the text; a bound keeps
                               // a hostile category from taking the stack.
                               const std::string bounded = field->substr(0, kMaxFilteredLength);
                               return !bounded.empty() && std::regex_search(bounded, *skip_);
                             });
}

PollTask::Wait AutomationDesk::wait() {
  Wait wait;
  if (!songText_ || expiresAt_ == kNever) return wait;
  const std::int64_t left = std::max<std::int64_t>(0, expiresAt_ - clock_());
  wait.timeoutMs =
      static_cast<int>(std::min<std::int64_t>(INT_MAX, (left + 999) / kMicrosPerMilli));
  return wait;
}

bool AutomationDesk::service(std::span<const pollfd>) {
  if (songText_ && clock_() >= expiresAt_) expire();
  return true;
}

// Someone else's text since the song (the console, UECP, a door's TEXT=) is theirs to keep.
void AutomationDesk::expire() {
  const std::string songText = *std::exchange(songText_, std::nullopt);
  const auto songEnhancedText = std::exchange(songEnhancedText_, std::nullopt);
  OnAirState next = state_.onAir();
  if (songEnhancedText && next.enhancedRadiotext == *songEnhancedText) {
    next.enhancedRadiotext = stationEnhancedText_;
  }
  AssignedFields fields;
  if (next.radiotext[0] == songText) {
    next.radiotext[0] = defaultText_.value_or(stationText_);
    next.songTags.reset();
    fields.set(OnAirField::Radiotext);
  }
  if (next != state_.onAir()) putOnAir(next, fields, "fim da música");
}

}  // namespace orvane
