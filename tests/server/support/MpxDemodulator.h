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
  double amplitude;  // of the 19 kHz pilot, full scale 1
  double phase;      // radians: the pilot is amplitude * sin(2 pi 19k t + phase)
};

// The pilot found by correlation over the whole signal.
[[nodiscard]] PilotMeasure measureTone(std::span<const std::int16_t> samples, double hertz);

// Data bits: the subcarrier is regenerated from the pilot (its third harmonic), the product
// integrated over each half bit, the bit clock found where the biphase halves differ most, and
// the differential coding undone.
[[nodiscard]] std::vector<std::uint8_t> demodulate(std::span<const std::int16_t> samples);

struct WavFile {
  std::uint32_t sampleRate = 0;
  std::uint16_t channels = 0, bitsPerSample = 0, format = 0;
  std::uint32_t riffSize = 0, dataSize = 0;
  std::vector<std::int16_t> samples;
};

// A 16-bit PCM WAV file as written by the encoder; none if the file is not one.
[[nodiscard]] std::optional<WavFile> readWav(const std::string& bytes);

}  // namespace orvane::test
