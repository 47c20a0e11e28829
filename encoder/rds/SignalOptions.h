#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "MpxModulator.h"
#include "SoundCard.h"

namespace orvane {

// How the multiplex is made: at which rate, at which RDS level, and whether around the station's
// own multiplex (a loop-through) rather than with a pilot of ours.
struct SignalOptions {
  // The deviation that full scale stands for: the FM broadcast peak, so that our pilot at 9 % of
  // full scale is the usual 6.75 kHz.
  static constexpr double kFullScaleKilohertz = 75.0;
  static constexpr double kMinRdsKilohertz = 0.5;
  static constexpr double kMaxRdsKilohertz = MpxModulator::kMaxRdsLevel * kFullScaleKilohertz;

  std::optional<int> rate;  // --rate; none: 228000, or the input's rate on a loop-through
  double rdsLevel =
      MpxModulator::kDefaultRdsLevel;  // --rds-level, in kHz, as a share of full scale
  // --mpx-in: a WAV file, "-" for raw 16-bit samples, "alsa:DEVICE" for a sound card; empty: none
  std::string mpxIn;
  std::optional<int> mpxInRate;  // --mpx-in-rate: the rate of raw samples or of the card

  static constexpr int kMinLatencyMs = 10;
  static constexpr int kMaxLatencyMs = 1000;
  static constexpr int kDefaultCardRate = 192000;
  std::string audio;  // --audio: the ALSA device the signal is played to; empty: none
  SoundCard::Format audioFormat = SoundCard::Format::S16;  // --audio-format s16|s32
  int audioLatencyMs = 50;                                 // --audio-latency, in ms

  [[nodiscard]] bool loopsThrough() const { return !mpxIn.empty(); }
  [[nodiscard]] bool capturesFromCard() const { return mpxIn.starts_with(kCardPrefix); }
  [[nodiscard]] std::string captureDevice() const { return mpxIn.substr(kCardPrefix.size()); }
  static constexpr std::string_view kCardPrefix = "alsa:";
};

// Reads one signal option (all of them take a value); the error message, UTF-8, when the value is
// not acceptable.
[[nodiscard]] std::optional<std::string> readSignalOption(std::string_view arg,
                                                          std::string_view value,
                                                          SignalOptions& options);

// What only the whole set can tell: raw samples need their rate, a loop-through keeps its input's.
[[nodiscard]] std::optional<std::string> checkSignalOptions(const SignalOptions& options);

}  // namespace orvane
