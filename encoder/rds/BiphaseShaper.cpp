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

double biphaseSymbolAt(double bits) {
  return transmitFilter(bits - 0.25) - transmitFilter(bits - 0.75);
}

}  // namespace orvane
