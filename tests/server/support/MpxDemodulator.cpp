#include "MpxDemodulator.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace orvane::test {
namespace {

constexpr double kRate = 228000.0;
constexpr int kSamplesPerBit = 192;

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace

PilotMeasure measureTone(std::span<const std::int16_t> samples, double hertz) {
  double inPhase = 0, quadrature = 0;
  const auto count = static_cast<double>(samples.size());
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double window = 1 - std::cos(2 * std::numbers::pi * static_cast<double>(n) / count);
    const double angle = 2 * std::numbers::pi * hertz * static_cast<double>(n) / kRate;
    inPhase += window * samples[n] * std::sin(angle);
    quadrature += window * samples[n] * std::cos(angle);
  }
  return {std::hypot(inPhase, quadrature) * 2 / (count * 32767), std::atan2(quadrature, inPhase)};
}

std::vector<std::uint8_t> demodulate(std::span<const std::int16_t> samples) {
  const double pilotPhase = measureTone(samples, 19000).phase;
  // Running sum of the signal times the regenerated subcarrier.
  std::vector<double> sum(samples.size() + 1, 0.0);
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double pilotAngle = 2 * std::numbers::pi * 19000 * static_cast<double>(n) / kRate;
    sum[n + 1] = sum[n] + samples[n] * std::sin(3 * (pilotAngle + pilotPhase));
  }
  auto halves = [&](std::size_t start) {
    const std::size_t half = kSamplesPerBit / 2;
    return (sum[start + half] - sum[start]) - (sum[start + 2 * half] - sum[start + half]);
  };
  const std::size_t bits = samples.size() / kSamplesPerBit - 1;
  std::size_t best = 0;
  double bestStrength = -1;
  for (std::size_t offset = 0; offset < kSamplesPerBit; offset += 2) {
    double strength = 0;
    for (std::size_t k = 0; k < bits; ++k)
      strength += std::abs(halves(offset + k * kSamplesPerBit));
    if (strength > bestStrength) {
      bestStrength = strength;
      best = offset;
    }
  }
  std::vector<std::uint8_t> data;
  bool previous = false;
  for (std::size_t k = 0; k < bits; ++k) {
    const bool level = halves(best + k * kSamplesPerBit) > 0;
    data.push_back(level != previous ? 1 : 0);
    previous = level;
  }
  return data;
}

std::optional<std::vector<std::int16_t>> readWav(const std::string& bytes) {
  const std::size_t data = bytes.size() - 44;
  const auto le = [&](std::size_t at, int size) { return littleEndian(bytes, at, size); };
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || le(4, 4) != data + 36 ||
      bytes.compare(8, 8, "WAVEfmt ") != 0 || le(16, 4) != 16 || le(20, 2) != 1 || le(22, 2) != 1 ||
      le(24, 4) != 228000 || le(28, 4) != 456000 || le(32, 2) != 2 || le(34, 2) != 16 ||
      bytes.compare(36, 4, "data") != 0 || le(40, 4) != data) {
    return std::nullopt;
  }
  std::vector<std::int16_t> samples(data / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(le(44 + 2 * i, 2));
  }
  return samples;
}

}  // namespace orvane::test
