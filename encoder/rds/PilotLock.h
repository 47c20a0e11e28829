#pragma once

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace orvane {

// Follows the 19 kHz pilot of a station's multiplex with a phase-locked loop, so that our RDS
// subcarrier can be three times its phase: the loop's oscillator, mixed down with the input,
// gives the phase error through a low-pass that keeps the programme, the stereo subcarrier and
// the mixing's double frequency out. The second-order loop follows a sound card's clock drift
// and the pilot's own tolerance with no lasting phase error.
//
// The loop runs at a rate of its own, over a thousand updates a second: a loop tens of hertz
// wide needs no more, and liquid's oscillator and loop cost more per call than a whole sample's
// budget. Between updates the oscillator's phase goes on at its frequency, sample by sample, as
// a rotating phasor, whose powers give the harmonics without a sine each; each update starts the
// phasor again from the oscillator itself, so the two never drift apart. The mixing sums over the
// update periods, weighted by a triangle, which is the first low-pass.
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
  // Loop updates a second, near enough for a whole number of samples between them.
  static constexpr int kUpdateHertz = 1600;

  explicit PilotLock(int sampleRate);
  ~PilotLock();
  PilotLock(const PilotLock&) = delete;
  PilotLock& operator=(const PilotLock&) = delete;

  // Follows the input samples `in` (full scale 1), giving for each the RDS subcarrier there,
  // sin(3 phase) with the pilot sin(phase), and how far into its bit of sixteen pilot cycles it
  // lies (0 to 1; a new bit begins where this drops; just after a correction of the loop it may
  // be a hair below zero). The outputs hold as many as `in`.
  void follow(std::span<const float> in, std::span<float> subcarrier, std::span<float> bitPhase);

  [[nodiscard]] bool pilotPresent() const { return present_; }
  [[nodiscard]] bool locked() const;
  [[nodiscard]] double pilotLevel() const { return level_; }  // full scale 1
  [[nodiscard]] double phaseErrorRadians() const { return error_; }
  // How far the pilot is from 19 kHz, in parts per million: the sound card's clock and the
  // station's together.
  [[nodiscard]] double offsetPpm() const { return (radiansPerSample_ / nominal_ - 1) * 1e6; }

 private:
  void update();
  void detect();
  void correct();
  void makePhasors();

  struct Liquid;
  Liquid* liquid_;
  int samplesPerUpdate_;
  double nominal_;           // radians a sample at 19 kHz
  double radiansPerSample_;  // the oscillator's frequency, unwrapped
  double cyclesPerSample_;
  // e^(j phase) over the current update period, from the oscillator's phase at
  // its start: the samples between updates take nothing else from the loop.
  std::vector<double> phasorReal_, phasorImag_;
  int sinceUpdate_ = 0;
  double startCycles_ = 0;  // into the current bit, at the period's start
  // The input times cos and sin of the phase, summed over the period, plain and weighted by
  // the sample's place in it.
  struct Mixed {
    double real = 0, imag = 0, weightedReal = 0, weightedImag = 0;
  };
  Mixed mixed_;
  std::complex<double> rising_;  // the last period's part of the triangle
  bool present_ = false;
  double level_ = 0;
  double error_ = 0;  // smoothed magnitude
  double smoothing_;  // of the level and error, an update at a time: some tens of ms
};

}  // namespace orvane
