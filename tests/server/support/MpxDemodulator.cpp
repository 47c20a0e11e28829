#include "MpxDemodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace orvane::test {
namespace {

constexpr double kRate = 228000.0;
constexpr std::size_t kSamplesPerBit = 192;

double angle(double hertz, std::size_t n) {
  return 2 * std::numbers::pi * hertz * static_cast<double>(n) / kRate;
}

}  // namespace

PilotMeasure measureTone(std::span<const std::int16_t> samples, double hertz) {
  double inPhase = 0, quadrature = 0;
  const auto count = static_cast<double>(samples.size());
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double window = 1 - std::cos(angle(kRate, n) / count);
    inPhase += window * samples[n] * std::sin(angle(hertz, n));
    quadrature += window * samples[n] * std::cos(angle(hertz, n));
  }
  return {std::hypot(inPhase, quadrature) * 2 / (count * 32767), std::atan2(quadrature, inPhase)};
}

std::vector<std::uint8_t> demodulate(std::span<const std::int16_t> samples) {
  const double pilotPhase = measureTone(samples, 19000).phase;
  // Running sum of the signal times the regenerated subcarrier.
  std::vector<double> sum(samples.size() + 1, 0.0);
  for (std::size_t n = 0; n < samples.size(); ++n) {
    sum[n + 1] = sum[n] + samples[n] * std::sin(3 * (angle(19000, n) + pilotPhase));
  }
  auto halves = [&](std::size_t start) {
    const std::size_t middle = start + kSamplesPerBit / 2, end = start + kSamplesPerBit;
    return (sum[middle] - sum[start]) - (sum[end] - sum[middle]);
  };
  const std::size_t bits = samples.size() / kSamplesPerBit - 1;
  std::pair<double, std::size_t> best{-1, 0};  // the strength of the bit clock, and its offset
  for (std::size_t offset = 0; offset < kSamplesPerBit; offset += 2) {
    double strength = 0;
    for (std::size_t k = 0; k < bits; ++k)
      strength += std::abs(halves(offset + k * kSamplesPerBit));
    best = std::max(best, {strength, offset});
  }
  std::vector<std::uint8_t> data;
  for (std::size_t k = 0, previous = 0; k < bits; ++k) {
    const std::size_t level = halves(best.second + k * kSamplesPerBit) > 0 ? 1 : 0;
    data.push_back(level != previous ? 1 : 0);
    previous = level;
  }
  return data;
}

std::optional<std::vector<std::int16_t>> readWav(const std::string& bytes) {
  const auto le = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
      value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
  };
  const std::size_t data = bytes.size() - 44;
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
