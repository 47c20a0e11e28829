#include "PilotLock.h"

#include <cmath>
#include <complex>
#include <numbers>

// liquid-dsp takes std::complex for its complex type when <complex> comes first.
// clang-format off
#include <liquid/liquid.h>
// clang-format on

#include "MpxModulator.h"

namespace orvane {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// The phase detector's low-pass only has to take out what the mixing doubled (38 kHz) and most
// of the rest: two poles at 2 kHz, whose delay (some 20 samples) the loop hardly notices. The
// loop itself averages the programme's residue out, a beat of kilohertz against its tens of hertz.
constexpr unsigned kLowPassOrder = 2;
constexpr double kLowPassHertz = 2000;
// The loop's natural frequency. liquid's oscillator keeps its frequency as a float, which drops
// corrections below about 3e-8 radians a sample: a slower loop would stall a few degrees off
// whenever the pilot is off 19 kHz, as a sound card's clock makes it.
constexpr double kLoopHertz = 50;
constexpr double kSmoothingSeconds = 0.02;

}  // namespace

struct PilotLock::Liquid {
  nco_crcf oscillator = nullptr;
  iirfilt_crcf lowPass = nullptr;
};

PilotLock::PilotLock(int sampleRate)
    : liquid_(new Liquid),
      nominal_(kTwoPi * MpxModulator::kPilotHertz / sampleRate),
      smoothing_(1.0 / (kSmoothingSeconds * sampleRate)) {
  liquid_->oscillator = nco_crcf_create(LIQUID_VCO);
  nco_crcf_set_frequency(liquid_->oscillator, static_cast<float>(nominal_));
  // liquid's loop corrects the frequency by bw and the phase by sqrt(bw) times the error: a
  // second-order loop whose natural frequency is sqrt(bw) radians a sample, damping 0.5.
  const double natural = kTwoPi * kLoopHertz / sampleRate;
  nco_crcf_pll_set_bandwidth(liquid_->oscillator, static_cast<float>(natural * natural));
  liquid_->lowPass = iirfilt_crcf_create_prototype(
      LIQUID_IIRDES_BUTTER, LIQUID_IIRDES_LOWPASS, LIQUID_IIRDES_SOS, kLowPassOrder,
      static_cast<float>(kLowPassHertz / sampleRate), 0.0F, 1.0F, 60.0F);
}

PilotLock::~PilotLock() {
  iirfilt_crcf_destroy(liquid_->lowPass);
  nco_crcf_destroy(liquid_->oscillator);
  delete liquid_;
}

void PilotLock::step(float sample) {
  const float before = phase_;
  phase_ = nco_crcf_get_phase(liquid_->oscillator);
  if (phase_ < 0) phase_ += static_cast<float>(kTwoPi);
  cycleBegan_ = phase_ < before;
  std::complex<float> filtered;
  nco_crcf_cexpf(liquid_->oscillator, &phasor_);
  iirfilt_crcf_execute(liquid_->lowPass, sample * std::conj(phasor_), &filtered);
  // A pilot a sin(phi) mixes down to -j a/2 e^(j (phi - theta)).
  const std::complex<float> detected = filtered * std::complex<float>(0, 2);
  level_ += smoothing_ * (std::abs(detected) - level_);
  present_ = level_ >= (present_ ? kAbsentLevel : kPresentLevel);
  if (present_) {
    const float error = std::arg(detected);
    nco_crcf_pll_step(liquid_->oscillator, error);
    error_ += smoothing_ * (std::abs(error) - error_);
  } else {
    // On its own the oscillator keeps its phase and goes back to 19 kHz.
    nco_crcf_set_frequency(liquid_->oscillator, static_cast<float>(nominal_));
    error_ = std::numbers::pi;
  }
  nco_crcf_step(liquid_->oscillator);
}

bool PilotLock::locked() const {
  return present_ && error_ < kLockedError;
}

double PilotLock::offsetPpm() const {
  return (nco_crcf_get_frequency(liquid_->oscillator) / nominal_ - 1) * 1e6;
}

}  // namespace orvane
