#pragma once

#include <complex>
#include <cstdint>

namespace orvane {

// Follows the 19 kHz pilot of a station's multiplex with a phase-locked loop, so that our RDS
// subcarrier can be three times its phase: the loop's oscillator, mixed down with the input,
// gives the phase error through a low-pass that keeps the programme, the stereo subcarrier and
// the mixing's double frequency out. The second-order loop follows a sound card's clock drift
// and the pilot's own tolerance with no lasting phase error.
//
// Without a pilot (a mono programme, or the pilot gone) the oscillator runs on at 19 kHz from
// where it was, so the subcarrier goes on without a jump, and the loop takes the pilot up again
// when it comes back.
class PilotLock {
 public:
  // The pilot a station sends is 8 to 10 % of full scale; below these it is taken as gone, above
  // as there, apart so that a level near one of them does not flap.
  static constexpr double kPresentLevel = 0.03;
  static constexpr double kAbsentLevel = 0.015;
  // Locked: the smoothed phase error below this (radians), well inside the ±10° allowed.
  static constexpr double kLockedError = 0.05;

  explicit PilotLock(int sampleRate);
  ~PilotLock();
  PilotLock(const PilotLock&) = delete;
  PilotLock& operator=(const PilotLock&) = delete;

  // One input sample, full scale 1; then phase() is the pilot's at the next one.
  void step(float sample);
  // Radians, 0 to 2 pi, the pilot being sin(phase); and whether a new cycle began at this sample.
  [[nodiscard]] float phase() const { return phase_; }
  [[nodiscard]] bool cycleBegan() const { return cycleBegan_; }
  // e^(j phase), as the oscillator made it: its powers give the harmonics without a sine each.
  [[nodiscard]] std::complex<float> phasor() const { return phasor_; }

  [[nodiscard]] bool pilotPresent() const { return present_; }
  [[nodiscard]] bool locked() const;
  [[nodiscard]] double pilotLevel() const { return level_; }  // full scale 1
  [[nodiscard]] double phaseErrorRadians() const { return error_; }
  // How far the pilot is from 19 kHz, in parts per million: the sound card's clock and the
  // station's together.
  [[nodiscard]] double offsetPpm() const;

 private:
  struct Liquid;
  Liquid* liquid_;
  double nominal_;  // radians a sample at 19 kHz
  float phase_ = 0;
  std::complex<float> phasor_{1, 0};
  bool cycleBegan_ = false;
  bool present_ = false;
  double level_ = 0;
  double error_ = 0;  // smoothed magnitude
  double smoothing_;  // of the level and error: a one-pole average over some tens of ms
};

}  // namespace orvane
