#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RdsGroup.h"

namespace orvane {

// The FM multiplex baseband that carries RDS: a 19 kHz pilot and the 57 kHz RDS subcarrier, its
// third harmonic and in phase with it, suppressed-carrier amplitude-modulated by the
// differentially coded, biphase-shaped data at 1187.5 bit/s. Mono 16-bit samples at 228 kHz,
// full scale being full deviation: the pilot peaks at 9 % of it, the RDS signal at 4.5 %, and
// the rest is left for programme audio.
//
// At 228 kHz a bit period is 192 samples, a whole number of pilot and subcarrier cycles, so
// every bit period starts at the same carrier phase and its samples depend only on the five
// coded symbols around it. They are computed once for all 32 patterns; modulating is then a copy
// per bit.
class MpxModulator {
 public:
  static constexpr int kSampleRate = 228000;
  static constexpr int kSamplesPerBit = 192;
  static constexpr int kSamplesPerGroup = kSamplesPerBit * kBitsPerGroup;
  static constexpr double kPilotLevel = 0.09;
  static constexpr double kRdsLevel = 0.045;
  static constexpr int kSpanBits = 2;  // bit periods the shaped symbol reaches either way
  // How far the samples run behind the bits, since the shaping looks ahead.
  static constexpr int kDelaySamples = kSpanBits * kSamplesPerBit;

  MpxModulator();

  // Appends kSamplesPerGroup samples for the next group. The shaping looks two bits ahead, so
  // the samples run two bit periods behind the bits: the first two periods of the signal carry
  // idle symbols, and a group's last two bits go out at the start of the next group's samples.
  void modulate(const RdsGroup& group, std::vector<std::int16_t>& out);
  // The same samples as 16-bit little-endian bytes, kBytesPerGroup of them, written straight
  // into `out`: one copy per bit from the table to the output, nothing cleared or copied again.
  static constexpr int kBytesPerGroup = 2 * kSamplesPerGroup;
  void modulate(const RdsGroup& group, char* out);

 private:
  static constexpr int kWindow = 2 * kSpanBits + 1;
  static constexpr int kBytesPerBit = 2 * kSamplesPerBit;

  // The table row of the next bit's samples.
  [[nodiscard]] unsigned nextPattern(unsigned bit);

  std::vector<std::int16_t> table_;  // kSamplesPerBit samples for each pattern of kWindow symbols
  std::string tableBytes_;           // the same, little-endian
  unsigned coded_ = 0;               // the last differentially coded bit
  unsigned window_ = 0;              // the last kWindow coded bits, newest in bit 0
};

}  // namespace orvane
