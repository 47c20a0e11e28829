#include "MpxModulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "BiphaseShaper.h"
#include "PcmFormat.h"

namespace orvane {
namespace {

constexpr double kFullScale = 32767.0;
constexpr int kSamplesPerPilotCycle = 12;
// sin(2 pi 57 kHz t) at 228 kHz: exact, so that the subcarrier is locked to the pilot's third
// harmonic sample for sample.
constexpr std::array<double, 4> kSubcarrier = {0.0, 1.0, 0.0, -1.0};

}  // namespace

MpxModulator::MpxModulator() {
  const std::vector<double> symbol = biphaseSymbol(kSamplesPerBit, kSpanBits);
  constexpr unsigned kPatterns = 1U << kWindow;
  std::vector<double> data(kPatterns * kSamplesPerBit);
  // The centre symbol of a window is bit kSpanBits; the one j periods later is bit kSpanBits-j.
  for (unsigned pattern = 0; pattern < kPatterns; ++pattern) {
    for (int n = 0; n < kSamplesPerBit; ++n) {
      double sum = 0.0;
      for (int j = -kSpanBits; j <= kSpanBits; ++j) {
        const double sign = ((pattern >> (kSpanBits - j)) & 1U) != 0 ? 1.0 : -1.0;
        sum += sign * symbol[static_cast<std::size_t>(n + (kSpanBits - j) * kSamplesPerBit)];
      }
      data[pattern * kSamplesPerBit + static_cast<unsigned>(n)] = sum;
    }
  }
  const double peak = std::ranges::max(data, {}, [](double v) { return std::abs(v); });
  const double rdsScale = kRdsLevel / std::abs(peak);
  table_.resize(data.size());
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto n = static_cast<int>(i % kSamplesPerBit);
    const double pilot = kPilotLevel * std::sin(2.0 * std::numbers::pi * n / kSamplesPerPilotCycle);
    const double rds = rdsScale * data[i] * kSubcarrier[static_cast<std::size_t>(n % 4)];
    table_[i] = static_cast<std::int16_t>(std::lround((pilot + rds) * kFullScale));
  }
  appendLittleEndian(tableBytes_, table_);
}

void MpxModulator::modulate(const RdsGroup& group, std::vector<std::int16_t>& out) {
  const std::size_t start = out.size();
  out.resize(start + kSamplesPerGroup);
  std::int16_t* next = out.data() + start;
  for (const std::uint32_t block : encodeGroup(group)) {
    for (int bit = kBitsPerBlock - 1; bit >= 0; --bit) {
      const unsigned pattern = nextPattern((block >> bit) & 1U);
      std::memcpy(next, table_.data() + pattern * kSamplesPerBit,
                  kSamplesPerBit * sizeof(std::int16_t));
      next += kSamplesPerBit;
    }
  }
}

void MpxModulator::modulate(const RdsGroup& group, char* out) {
  for (const std::uint32_t block : encodeGroup(group)) {
    for (int bit = kBitsPerBlock - 1; bit >= 0; --bit) {
      const unsigned pattern = nextPattern((block >> bit) & 1U);
      std::memcpy(out, tableBytes_.data() + pattern * kBytesPerBit, kBytesPerBit);
      out += kBytesPerBit;
    }
  }
}

// A 1 changes the coded level and a 0 keeps it, so that a receiver locked to either polarity of
// the subcarrier decodes the same data.
unsigned MpxModulator::nextPattern(unsigned bit) {
  coded_ ^= bit;
  window_ = ((window_ << 1) | coded_) & ((1U << kWindow) - 1);
  return window_;
}

}  // namespace orvane
