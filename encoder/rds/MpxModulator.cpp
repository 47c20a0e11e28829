#include "MpxModulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "BiphaseShaper.h"

namespace orvane {
namespace {

constexpr double kFullScale = 32767.0;
constexpr std::int64_t kPilotCyclesPerGroup =
    std::int64_t{MpxModulator::kPilotCyclesPerBit} * kBitsPerGroup;

std::int16_t sample16(double value) {
  const double scaled = value * kFullScale;
  return static_cast<std::int16_t>(scaled >= 0 ? scaled + 0.5 : scaled - 0.5);
}

}  // namespace

MpxModulator::MpxModulator(int sampleRate, double rdsLevel)
    : sampleRate_(sampleRate),
      period_(sampleRate / std::gcd(sampleRate, kPilotHertz)),
      step_(kPilotHertz / std::gcd(sampleRate, kPilotHertz)) {
  constexpr unsigned kPatterns = 1U << kWindow;
  std::vector<double> data(kPatterns * kRowSize);
  // The centre symbol of a window is bit kSpanBits; the one j periods later is bit kSpanBits-j,
  // and at time t into the centre's period it is t-j into its own.
  for (unsigned pattern = 0; pattern < kPatterns; ++pattern) {
    for (std::size_t i = 0; i < kRowSize; ++i) {
      const double t = static_cast<double>(i) / kPhasesPerBit;
      double sum = 0.0;
      for (int j = -kSpanBits; j <= kSpanBits; ++j) {
        const double sign = ((pattern >> (kSpanBits - j)) & 1U) != 0 ? 1.0 : -1.0;
        sum += sign * biphaseSymbolAt(t - j);
      }
      data[pattern * kRowSize + i] = sum;
    }
  }
  const double peak = std::ranges::max(data, {}, [](double v) { return std::abs(v); });
  table_.resize(data.size());
  std::ranges::transform(data, table_.begin(), [&](double v) {
    return static_cast<float>(v * rdsLevel / std::abs(peak));
  });
  pilot_.resize(static_cast<std::size_t>(period_));
  subcarrier_.resize(pilot_.size());
  for (int k = 0; k < period_; ++k) {
    const double angle = 2.0 * std::numbers::pi * k / period_;
    pilot_[static_cast<std::size_t>(k)] = kPilotLevel * std::sin(angle);
    subcarrier_[static_cast<std::size_t>(k)] = std::sin(3.0 * angle);
  }
}

std::int64_t MpxModulator::delaySamples() const {
  return std::int64_t{kSpanBits} * kPilotCyclesPerBit * sampleRate_ / kPilotHertz;
}

// Sample n lies in pilot cycle n * 19000 / rate; group g begins with cycle g * 1664.
std::int64_t MpxModulator::samplesOfGroups(std::int64_t groups) const {
  const std::int64_t cycles = groups * kPilotCyclesPerGroup;
  return (cycles * sampleRate_ + kPilotHertz - 1) / kPilotHertz;
}

std::int64_t MpxModulator::groupsOfSamples(std::int64_t samples) const {
  const std::int64_t perGroup = kPilotCyclesPerGroup * sampleRate_;
  return (samples * kPilotHertz + perGroup - 1) / perGroup;
}

std::size_t MpxModulator::maxSamplesPerGroup() const {
  return static_cast<std::size_t>(samplesOfGroups(1)) + 1;
}

std::size_t MpxModulator::modulate(const RdsGroup& group, char* out) {
  std::size_t count = 0;
  const double toBit = 1.0 / (static_cast<double>(period_) * kPilotCyclesPerBit);
  for (const std::uint32_t block : encodeGroup(group)) {
    for (int bit = kBitsPerBlock - 1; bit >= 0; --bit) {
      pushBit((block >> bit) & 1U);
      bool inBit = true;
      while (inBit) {
        const auto k = static_cast<std::size_t>(phase_);
        const double fraction = (cycle_ * period_ + phase_) * toBit;
        const auto value =
            static_cast<std::uint16_t>(sample16(pilot_[k] + rdsAt(fraction, subcarrier_[k])));
        out[2 * count] = static_cast<char>(value & 0xFF);
        out[2 * count + 1] = static_cast<char>(value >> 8);
        ++count;
        phase_ += step_;
        if (phase_ >= period_) {
          phase_ -= period_;
          inBit = ++cycle_ < kPilotCyclesPerBit;
          if (!inBit) cycle_ = 0;
        }
      }
    }
  }
  return count;
}

// A 1 changes the coded level and a 0 keeps it, so that a receiver locked to either polarity of
// the subcarrier decodes the same data.
void MpxModulator::pushBit(unsigned bit) {
  coded_ ^= bit;
  window_ = ((window_ << 1) | coded_) & ((1U << kWindow) - 1);
}

}  // namespace orvane
