#include "BiphaseShaper.h"

#include <cmath>
#include <numbers>

namespace orvane {
namespace {

// Impulse response of the transmit filter, time in bit periods. The filter is a root raised
// cosine of full roll-off for pulses half a bit apart; up to a scale factor its response is
// cos(4 pi t) / (1 - 64 t^2), whose two removable gaps at t = +-1/8 are filled by the limit.
double transmitFilter(double t) {
  const double denominator = 1.0 - 64.0 * t * t;
  if (std::abs(denominator) < 1e-9) return std::numbers::pi / 4.0;
  return std::cos(4.0 * std::numbers::pi * t) / denominator;
}

}  // namespace

std::vector<double> biphaseSymbol(int samplesPerBit, int spanBits) {
  const int count = (2 * spanBits + 1) * samplesPerBit;
  std::vector<double> waveform(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / samplesPerBit - spanBits;
    waveform[static_cast<std::size_t>(i)] = transmitFilter(t - 0.25) - transmitFilter(t - 0.75);
  }
  return waveform;
}

}  // namespace orvane
