#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "MpxModulator.h"

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
  std::string mpxIn;             // --mpx-in: a WAV file, "-" for raw 16-bit samples; empty: none
  std::optional<int> mpxInRate;  // --mpx-in-rate: the rate of raw samples

  [[nodiscard]] bool loopsThrough() const { return !mpxIn.empty(); }
};

// Reads one signal option (all of them take a value); the error message, UTF-8, when the value is
// not acceptable.
[[nodiscard]] std::optional<std::string> readSignalOption(std::string_view arg,
                                                          std::string_view value,
                                                          SignalOptions& options);

// What only the whole set can tell: raw samples need their rate, a loop-through keeps its input's.
[[nodiscard]] std::optional<std::string> checkSignalOptions(const SignalOptions& options);

}  // namespace orvane
