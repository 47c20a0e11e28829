#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GroupScheduler.h"
#include "MpxDemodulator.h"
#include "MpxModulator.h"
#include "RdsDecoder.h"

namespace orvane::test {
namespace {

// A few seconds of a real station's groups and the multiplex made of them.
struct Signal {
  std::vector<RdsGroup> groups;
  std::vector<std::int16_t> samples;

  explicit Signal(double seconds) {
    OnAirState state;
    state.programmeServiceName = "ORVANE";
    state.radiotext = {"Ol\xE1, Lisboa", ""};
    GroupScheduler scheduler(0x8201, [](std::int64_t) { return 0; });
    MpxModulator modulator;
    for (std::int64_t k = 0; k * 104 < seconds * 1187.5; ++k) {
      groups.push_back(scheduler.next(state, k * 1'664'000 / 19));
      modulator.modulate(groups.back(), samples);
    }
  }
};

// Magnitude of one frequency over the signal, Hann-windowed, full scale 1.
double level(const std::vector<std::int16_t>& x, double hertz) {
  double re = 0, im = 0;
  const double n = static_cast<double>(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / n);
    const double angle = 2 * std::numbers::pi * hertz * static_cast<double>(i) / 228000;
    re += w * x[i] * std::cos(angle);
    im += w * x[i] * std::sin(angle);
  }
  return std::hypot(re, im) * 4 / (n * 32767);
}

TEST(MpxModulator, PilotAndRdsAtTheirLevelsWithTheSubcarrierLockedToThePilot) {
  const Signal signal(2.0);
  const PilotMeasure pilot = measureTone(signal.samples, 19000);
  EXPECT_NEAR(pilot.amplitude, 0.09, 0.001);
  // What is left once the pilot is taken out is RDS: in phase with the pilot's third harmonic,
  // none of it in quadrature, peaking at its level.
  double peak = 0, inPhase = 0, quadrature = 0;
  for (std::size_t n = 0; n < signal.samples.size(); ++n) {
    const double angle = 2 * std::numbers::pi * static_cast<double>(n) / 12 + pilot.phase;
    const double rds = signal.samples[n] / 32767.0 - pilot.amplitude * std::sin(angle);
    peak = std::max(peak, std::abs(rds));
    inPhase += std::pow(rds * std::sin(3 * angle), 2);
    quadrature += std::pow(rds * std::cos(3 * angle), 2);
  }
  EXPECT_NEAR(peak, 0.045, 0.002);
  EXPECT_LT(quadrature, inPhase / 1000);
  // A receiver's path, pilot to subcarrier to bits to groups, gives every group back but the
  // last, whose final bits are still in the shaper.
  const auto decoded = groupsFromBits(demodulate(signal.samples));
  EXPECT_EQ(decoded, std::vector<RdsGroup>(signal.groups.begin(), signal.groups.end() - 1));
}

// RDS must stay within 57 kHz +- 2.4 kHz: clear of the programme audio, the pilot's neighbourhood
// and the stereo band, which receivers would otherwise hear as noise.
TEST(MpxModulator, RdsStaysInItsBand) {
  const Signal signal(1.0);
  double inBand = 0;  // the mean over the band, robust to the data's own spectral dips
  for (double hertz = 55800; hertz <= 58200; hertz += 200)
    inBand += level(signal.samples, hertz) / 13;
  for (double hertz : {100.0, 1000.0, 5000.0, 15000.0, 18000.0, 20000.0, 25000.0, 38000.0, 50000.0,
                       53000.0, 54500.0, 59500.0, 61000.0, 70000.0, 100000.0}) {
    EXPECT_LT(level(signal.samples, hertz), inBand / 100) << hertz;
  }
}

}  // namespace
}  // namespace orvane::test
