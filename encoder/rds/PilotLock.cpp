#include "PilotLock.h"

#include <algorithm>
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
// The triangle-weighted sum over two update periods already takes out most of what the mixing
// doubled (38 kHz) and of the programme; two poles at 600 Hz take the rest that folds down near
// the pilot, with a delay (some 0.4 ms) the loop hardly notices. The loop itself averages the
// residue out, a beat of hundreds of hertz against its tens.
constexpr unsigned kLowPassOrder = 2;
constexpr double kLowPassHertz = 600;
// The loop's natural frequency: a sound card's drift and the pilot's tolerance are slow.
constexpr double kLoopHertz = 50;
constexpr double kSmoothingSeconds = 0.02;

double wrapped(double radians) {
  return std::remainder(radians, kTwoPi);
}

}  // namespace

// The oscillator steps once an update, so its frequency is in radians an update, wrapped.
struct PilotLock::Liquid {
  nco_crcf oscillator = nullptr;
  iirfilt_crcf lowPass = nullptr;
  std::complex<float> filtered;
};

PilotLock::PilotLock(int sampleRate)
    : liquid_(new Liquid),
      samplesPerUpdate_(std::max(
          1, static_cast<int>(std::lround(static_cast<double>(sampleRate) / kUpdateHertz)))),
      nominal_(kTwoPi * MpxModulator::kPilotHertz / sampleRate),
      radiansPerSample_(nominal_),
      cyclesPerSample_(nominal_ / kTwoPi),
      phasorReal_(static_cast<std::size_t>(samplesPerUpdate_)),
      phasorImag_(phasorReal_.size()) {
  const double updateRate = static_cast<double>(sampleRate) / samplesPerUpdate_;
  smoothing_ = 1.0 / (kSmoothingSeconds * updateRate);
  liquid_->oscillator = nco_crcf_create(LIQUID_VCO);
  nco_crcf_set_frequency(liquid_->oscillator,
                         static_cast<float>(wrapped(nominal_ * samplesPerUpdate_)));
  // liquid's loop corrects the frequency by bw and the phase by sqrt(bw) times the error: a
  // second-order loop whose natural frequency is sqrt(bw) radians an update, damping 0.5.
  const double natural = kTwoPi * kLoopHertz / updateRate;
  nco_crcf_pll_set_bandwidth(liquid_->oscillator, static_cast<float>(natural * natural));
  liquid_->lowPass = iirfilt_crcf_create_prototype(
      LIQUID_IIRDES_BUTTER, LIQUID_IIRDES_LOWPASS, LIQUID_IIRDES_SOS, kLowPassOrder,
      static_cast<float>(kLowPassHertz / updateRate), 0.0F, 1.0F, 60.0F);
  makePhasors();
}

PilotLock::~PilotLock() {
  iirfilt_crcf_destroy(liquid_->lowPass);
  nco_crcf_destroy(liquid_->oscillator);
  delete liquid_;
}

void PilotLock::follow(std::span<const float> in, std::span<float> subcarrier,
                       std::span<float> bitPhase) {
  constexpr double kCyclesPerBit = MpxModulator::kPilotCyclesPerBit;
  for (std::size_t first = 0; first < in.size();) {
    const auto index = static_cast<std::size_t>(sinceUpdate_);
    const std::size_t length =
        std::min(in.size() - first, static_cast<std::size_t>(samplesPerUpdate_) - index);
    const double* cosines = phasorReal_.data() + index;
    const double* sines = phasorImag_.data() + index;
    double into = startCycles_ + static_cast<double>(index) * cyclesPerSample_;
    const float* from = in.data() + first;
    // Even and odd samples summed apart, so that no sum waits for the one before it; each sum
    // plain and weighted by the sample's place in the period.
    double real0 = 0, imag0 = 0, weightedReal0 = 0, weightedImag0 = 0;
    double real1 = 0, imag1 = 0, weightedReal1 = 0, weightedImag1 = 0;
    std::size_t n = 0;
    for (; n + 1 < length; n += 2) {
      const auto place = static_cast<double>(index + n);
      const double r0 = from[n] * cosines[n];
      const double i0 = from[n] * sines[n];
      const double r1 = from[n + 1] * cosines[n + 1];
      const double i1 = from[n + 1] * sines[n + 1];
      real0 += r0;
      imag0 += i0;
      real1 += r1;
      imag1 += i1;
      weightedReal0 += place * r0;
      weightedImag0 += place * i0;
      weightedReal1 += (place + 1) * r1;
      weightedImag1 += (place + 1) * i1;
    }
    if (n < length) {
      const auto place = static_cast<double>(index + n);
      real0 += from[n] * cosines[n];
      imag0 += from[n] * sines[n];
      weightedReal0 += place * from[n] * cosines[n];
      weightedImag0 += place * from[n] * sines[n];
    }
    mixed_.real += real0 + real1;
    mixed_.imag += imag0 + imag1;
    mixed_.weightedReal += weightedReal0 + weightedReal1;
    mixed_.weightedImag += weightedImag0 + weightedImag1;
    for (n = 0; n < length; ++n) {
      const double s = sines[n];
      subcarrier[first + n] = static_cast<float>(s * (3 - 4 * s * s));  // sin(3 phase)
      bitPhase[first + n] =
          static_cast<float>((into < kCyclesPerBit ? into : into - kCyclesPerBit) / kCyclesPerBit);
      into += cyclesPerSample_;
    }
    first += length;
    sinceUpdate_ += static_cast<int>(length);
    if (sinceUpdate_ == samplesPerUpdate_) update();
  }
}

void PilotLock::update() {
  detect();
  correct();
  sinceUpdate_ = 0;
  mixed_ = {};
}

// A pilot a sin(phi) mixes down to -j a/2 e^(j (phi - theta)) a sample. The mixing is weighted
// by a triangle over this period and the one before, rising over that one and falling over this:
// it takes what folds down near the pilot from the programme and the mixing's double frequency
// twice as far down as a plain sum over the period would.
void PilotLock::detect() {
  const double size = samplesPerUpdate_;
  // e^(-j theta) is cos - j sin.
  const std::complex<double> sum(mixed_.real, -mixed_.imag);
  const std::complex<double> weighted(mixed_.weightedReal, -mixed_.weightedImag);
  const std::complex<double> falling = (size - 1) * sum - weighted;
  const std::complex<double> mixedDown = (rising_ + falling) / (size * size);
  rising_ = weighted + sum;
  const std::complex<float> detected(mixedDown * std::complex<double>(0, 2));
  iirfilt_crcf_execute(liquid_->lowPass, detected, &liquid_->filtered);
  level_ += smoothing_ * (std::sqrt(std::norm(liquid_->filtered)) - level_);
  present_ = level_ >= (present_ ? kAbsentLevel : kPresentLevel);
}

// The oscillator steps over the period just made, then the loop corrects it; the phasor and the
// cycle count start again from where the oscillator now is, correction included.
void PilotLock::correct() {
  nco_crcf oscillator = liquid_->oscillator;
  const double expected = nco_crcf_get_phase(oscillator) + nco_crcf_get_frequency(oscillator);
  nco_crcf_step(oscillator);
  if (present_) {
    const float error = std::arg(liquid_->filtered);
    nco_crcf_pll_step(oscillator, error);
    error_ += smoothing_ * (std::abs(error) - error_);
  } else {
    // On its own the oscillator keeps its phase and goes back to 19 kHz.
    nco_crcf_set_frequency(oscillator, static_cast<float>(wrapped(nominal_ * samplesPerUpdate_)));
    error_ = std::numbers::pi;
  }
  const double phase = nco_crcf_get_phase(oscillator);
  // Both phases are within a turn and a half of each other: one wrap brings them together.
  double correction = phase - expected;
  if (correction > std::numbers::pi) correction -= kTwoPi;
  if (correction < -std::numbers::pi) correction += kTwoPi;
  startCycles_ += samplesPerUpdate_ * cyclesPerSample_ + correction / kTwoPi;
  if (startCycles_ >= MpxModulator::kPilotCyclesPerBit) {
    startCycles_ -= MpxModulator::kPilotCyclesPerBit;
  }
  // Whole turns an update are lost to the wrapping; the nominal frequency says how many.
  const double perUpdate = nco_crcf_get_frequency(oscillator);
  const double turns = std::round((nominal_ * samplesPerUpdate_ - perUpdate) / kTwoPi);
  radiansPerSample_ = (perUpdate + turns * kTwoPi) / samplesPerUpdate_;
  cyclesPerSample_ = radiansPerSample_ / kTwoPi;
  makePhasors();
}

// Eight rotations side by side, so that no sample waits for the
// one before it.
void PilotLock::makePhasors() {
  std::complex<float> start;
  nco_crcf_cexpf(liquid_->oscillator, &start);
  const std::complex<double> turn = std::polar(1.0, radiansPerSample_);
  std::complex<double> at(start.real(), start.imag());
  constexpr std::size_t kChains = 8;
  for (std::size_t k = 0; k < kChains; ++k, at *= turn) {
    phasorReal_[k] = at.real();
    phasorImag_[k] = at.imag();
  }
  static_assert(kChains == 8);
  std::complex<double> stride = turn * turn;
  stride *= stride;
  stride *= stride;
  const double strideReal = stride.real();
  const double strideImag = stride.imag();
  for (std::size_t k = kChains; k < phasorReal_.size(); ++k) {
    const double c = phasorReal_[k - kChains];
    const double s = phasorImag_[k - kChains];
    phasorReal_[k] = c * strideReal - s * strideImag;
    phasorImag_[k] = c * strideImag + s * strideReal;
  }
}

bool PilotLock::locked() const {
  return present_ && error_ < kLockedError;
}

}  // namespace orvane
