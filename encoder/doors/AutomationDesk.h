#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "AirLog.h"
#include "ChangeLedger.h"
#include "DeskSetting.h"
#include "DoorKey.h"
#include "EncoderState.h"
#include "NowPlaying.h"
#include "PollTask.h"
#include "Refusal.h"
#include "TrafficTimeBound.h"

namespace orvane {

// Where every playout door (lines, HTTP, the file) changes the air. Each change goes on air at
// once as one whole, or not at all; the last change wins whoever made it, the console included,
// and the log names who made it. A song stays until its duration and a grace time are over
// (the timeout without one), and, when there is a default text, a playout's plain text until the
// timeout unless refreshed;
// then the station's text comes back, unless someone has replaced the playout's text since: a
// playout that dies must not leave its last song on air for ever. A task of the poll loop, for
// those deadlines.
class AutomationDesk : public PollTask {
 public:
  using Clock = std::function<std::int64_t()>;  // monotonic microseconds

  // Beyond a song's end: playouts announce late and clocks drift, and a text that vanishes
  // before the song does looks broken.
  static constexpr std::chrono::seconds kGrace{10};

  struct Settings {
    std::string pattern = "{artist} - {title}";
    // The PI the signal carries while no one has set one; zero: not known to the desk.
    std::uint16_t ownProgrammeIdentification = 0;
    bool radiotextPlus = false;  // whether the signal carries RT+ tags (--rtplus)
    std::chrono::milliseconds timeout = std::chrono::minutes(15);  // 0: a text never returns
    std::string enhancedPattern;             // the eRT of a song; empty: songs leave it alone
    std::string skip;                        // regular expression; empty: none
    std::optional<std::string> defaultText;  // as given; none: the text before the first song
  };

  // What a door tells its client. Partly: on air, but some of it does not reach the receivers
  // (a TA without TP, tags without RT+), which a playout must not take for done.
  struct Outcome {
    enum class Kind { OnAir, Partly, Skipped, Refused } kind = Kind::OnAir;
    // Skipped: why; OnAir: what was cut to fit, if anything; Partly: what is not on air (UTF-8)
    std::string message;
    Refusal refusal;  // Refused: what and why
  };

  AutomationDesk(EncoderState& state, AirLog& log, Settings settings, Clock clock = {});

  // Sets the values together, or none when one of them is refused. `source` names the door and
  // the peer for the log: "HTTP 10.0.0.5". The desk's own settings (RTDEFAULT, RTTIMER,
  // TATIME) may be among them; they hold until the service restarts.
  Outcome set(const std::vector<std::pair<DoorKey, std::string>>& values, std::string_view source);
  // The value of `key` as the doors read it back, the desk's settings included (UTF-8).
  [[nodiscard]] std::string read(DoorKey key) const;
  Outcome song(const NowPlaying& song, std::string_view source);

  [[nodiscard]] const OnAirState& onAir() const { return state_.onAir(); }
  // The on-air state as a door reads it back: the PI the signal carries even when no one set one.
  [[nodiscard]] OnAirState readBack() const;

  // When the playout's text on air ends, in the clock's time; none when no playout's text is.
  [[nodiscard]] std::optional<std::int64_t> playoutTextEnds() const;
  // After a restart: the first radiotext on air is a playout's again, until `endsAt`.
  void resumePlayoutText(std::int64_t endsAt);
  // At a start with nothing restored: the default text goes on air before the first group, so
  // that the radiotext is never empty when a station asked for a text.
  void startWithDefaultText();

  // A reload of the configuration: the settings from now on.
  void setSettings(Settings settings);

  // Where the doors' changes of what goes on air are recorded, by door and peer.
  void recordChanges(ChangeLedger& ledger) { ledger_ = &ledger; }
  // What TATIME= sets; without it, TATIME= is refused.
  void boundTraffic(TrafficTimeBound& bound) { traffic_ = &bound; }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  void adoptSettings();
  void putOnAir(const OnAirState& next, const AssignedFields& fields, std::string_view source);
  void change(const DeskSetting& setting, std::string_view source);
  [[nodiscard]] bool skipped(const NowPlaying& song) const;
  void expire();
  void fillEnhancedText(const NowPlaying& song, OnAirState& next);
  void startPlayoutText(const std::string& before, const std::string& text,
                        std::chrono::microseconds lasts);

  EncoderState& state_;
  AirLog& log_;
  Settings settings_;
  Clock clock_;
  std::optional<std::regex> skip_;
  std::optional<std::string> defaultText_;  // Windows-1252, once converted
  std::optional<std::string> songText_;     // the text the playout put on air
  std::string stationText_;                 // what was on air before the songs began
  // Likewise for the enhanced radiotext, when songs fill it.
  std::optional<std::string> songEnhancedText_;
  std::string stationEnhancedText_;
  std::int64_t expiresAt_ = 0;
  ChangeLedger* ledger_ = nullptr;
  TrafficTimeBound* traffic_ = nullptr;
};

}  // namespace orvane
