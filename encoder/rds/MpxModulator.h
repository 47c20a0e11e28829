#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RdsGroup.h"

namespace orvane {

// The RDS signal of the FM multiplex: the 57 kHz subcarrier, the third harmonic of the 19 kHz
// pilot and in phase with it, suppressed-carrier amplitude-modulated by the differentially coded,
// biphase-shaped data at 1187.5 bit/s, one bit being sixteen pilot cycles. Either with a pilot of
// our own (the whole multiplex but the programme, as 16-bit samples), or on the phase of the
// station's pilot that a loop-through follows. Full scale is full deviation: our pilot peaks at
// 9 % of it, the RDS signal at the level asked for.
//
// At most sample rates a bit period is no whole number of samples (at 192 kHz it is
// 161.68...), so the bit clock is not counted in samples: each sample's place in its bit period
// is taken from the pilot's phase, which at our own pilot is an exact fraction of the rate. The
// shaped data around a bit depends only on the five coded symbols around it; it is tabulated for
// all 32 patterns, finely enough that interpolating between entries stays far below the
// quantisation of 16-bit samples.
class MpxModulator {
 public:
  static constexpr int kDefaultSampleRate = 228000;
  // The RDS band ends at 59.4 kHz: below twice that, it would fold back onto the programme.
  static constexpr int kMinSampleRate = 128000;
  static constexpr int kMaxSampleRate = 768000;
  static constexpr int kPilotHertz = 19000;
  static constexpr int kPilotCyclesPerBit = 16;
  static constexpr double kPilotLevel = 0.09;
  static constexpr double kDefaultRdsLevel = 0.045;
  static constexpr double kMaxRdsLevel = 0.1;
  static constexpr int kSpanBits = 2;  // bit periods the shaped symbol reaches either way

  explicit MpxModulator(int sampleRate = kDefaultSampleRate, double rdsLevel = kDefaultRdsLevel);

  [[nodiscard]] int sampleRate() const { return sampleRate_; }
  // How far the samples run behind the bits, since the shaping looks ahead.
  [[nodiscard]] std::int64_t delaySamples() const;
  // With our own pilot: the samples that the first `groups` groups take, and the groups that
  // `samples` samples need, both exact however long the signal runs.
  [[nodiscard]] std::int64_t samplesOfGroups(std::int64_t groups) const;
  [[nodiscard]] std::int64_t groupsOfSamples(std::int64_t samples) const;
  // The most samples one group takes, and as 16-bit bytes.
  [[nodiscard]] std::size_t maxSamplesPerGroup() const;
  [[nodiscard]] std::size_t maxBytesPerGroup() const { return 2 * maxSamplesPerGroup(); }

  // With our own pilot: the samples of the group's 104 bit periods as 16-bit little-endian bytes
  // straight into `out` (room for maxBytesPerGroup()); returns how many samples. The shaping looks
  // two bits ahead, so the samples run two bit periods behind the bits: the first two periods of
  // the signal carry idle symbols, and a group's last two bits go out with the next group.
  std::size_t modulate(const RdsGroup& group, char* out);

  // On a pilot of someone else's: the next data bit begins, and the RDS signal alone (full scale
  // 1) at `bitFraction` (0 to 1) into the current bit period, `carrier` being the subcarrier's
  // value there.
  void pushBit(unsigned bit);
  [[nodiscard]] double rdsAt(double bitFraction, double carrier) const {
    return rdsOn(currentBit(), bitFraction, carrier);
  }
  // The same in two steps, for a caller whose loop over the samples keeps the shape of the
  // current bit at hand: it holds until the next pushBit().
  [[nodiscard]] const float* currentBit() const { return table_.data() + window_ * kRowSize; }
  [[nodiscard]] static double rdsOn(const float* bitShape, double bitFraction, double carrier) {
    const double at = bitFraction * kPhasesPerBit;
    const int index = static_cast<int>(at);  // signed: the conversion needs no range check
    return carrier * (bitShape[index] + (at - index) * (bitShape[index + 1] - bitShape[index]));
  }

 private:
  static constexpr int kWindow = 2 * kSpanBits + 1;
  static constexpr int kPhasesPerBit = 1024;
  static constexpr std::size_t kRowSize = kPhasesPerBit + 2;  // one past the end, for rounding

  int sampleRate_;
  std::vector<float> table_;  // kRowSize entries a pattern of kWindow symbols, scaled to the level
  unsigned coded_ = 0;        // the last differentially coded bit
  unsigned window_ = 0;       // the last kWindow coded bits, newest in bit 0

  // Our own pilot's phase is step_/period_ cycles a sample: phase_ of period_ in the current
  // cycle, cycle_ of kPilotCyclesPerBit in the current bit.
  int period_;
  int step_;
  int phase_ = 0;
  int cycle_ = 0;
  std::vector<double> pilot_;       // period_ entries: our pilot, scaled
  std::vector<double> subcarrier_;  // period_ entries: its third harmonic, full scale 1
};

}  // namespace orvane
