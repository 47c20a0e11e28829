#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Takes a multiplex signal back down to RDS data bits, the way a receiver does, so that tests
// can check the whole path from groups to samples and back.
namespace orvane::test {

struct PilotMeasure {
  double amplitude;  // full scale 1
  double phase;      // radians: the tone is amplitude * sin(2 pi f t + phase)
};

// A tone found by correlation over the whole signal, Hann-windowed so that strong tones nearby
// do not leak into it.
[[nodiscard]] PilotMeasure measureTone(std::span<const std::int16_t> samples, double hertz);

// Data bits: the subcarrier is regenerated from the pilot (its third harmonic), the product
// integrated over each half bit, the bit clock found where the biphase halves differ most, and
// the differential coding undone.
[[nodiscard]] std::vector<std::uint8_t> demodulate(std::span<const std::int16_t> samples);

// The samples of a WAV file as a player must find it: 16-bit PCM mono at 228 kHz, its sizes
// those of its length; none if the file is anything else.
[[nodiscard]] std::optional<std::vector<std::int16_t>> readWav(const std::string& bytes);

}  // namespace orvane::test
