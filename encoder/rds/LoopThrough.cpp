#include "LoopThrough.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace orvane {
namespace {

std::int64_t readSample(const char* at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(at[i]);
  const int unused = 32 - 8 * bytes;  // sign-extend from the sample's own top bit
  return static_cast<std::int32_t>(value << unused) >> unused;
}

void writeSample(char* at, int bytes, std::int64_t sample) {
  auto value = static_cast<std::uint32_t>(sample);
  for (int i = 0; i < bytes; ++i, value >>= 8) at[i] = static_cast<char>(value & 0xFF);
}

}  // namespace

LoopThrough::LoopThrough(PcmLayout layout, double rdsLevel)
    : layout_(layout),
      fullScale_(std::ldexp(1.0, layout.bitsPerSample - 1) - 1),
      maxValue_((std::int64_t{1} << (layout.bitsPerSample - 1)) - 1),
      modulator_(static_cast<int>(layout.sampleRate), rdsLevel),
      lock_(static_cast<int>(layout.sampleRate)) {}

void LoopThrough::process(std::string_view in, char* out,
                          const std::function<RdsGroup()>& nextGroup) {
  const int width = layout_.bytesPerSample();
  constexpr double kToBit = 1.0 / MpxModulator::kPilotCyclesPerBit;
  constexpr double kToCycle = 1.0 / (2 * std::numbers::pi);
  const double clipGap = layout_.sampleRate;  // a second without clipping ends a burst
  for (std::size_t at = 0; at + static_cast<std::size_t>(width) <= in.size(); at += width) {
    const std::int64_t sample = readSample(in.data() + at, width);
    lock_.step(static_cast<float>(static_cast<double>(sample) / fullScale_));
    if (lock_.cycleBegan() && ++cycle_ == MpxModulator::kPilotCyclesPerBit) {
      cycle_ = 0;
      nextBit(nextGroup);
    }
    const double phase = lock_.phase();
    const std::complex<float> pilot = lock_.phasor();
    const double subcarrier = (pilot * pilot * pilot).imag();  // sin(3 phase)
    const double rds = modulator_.rdsAt((cycle_ + phase * kToCycle) * kToBit, subcarrier);
    std::int64_t sum = sample + std::llround(rds * fullScale_);
    if (sum > maxValue_ || sum < -maxValue_ - 1) {
      sum = sum > 0 ? maxValue_ : -maxValue_ - 1;
      ++clipped_;
      if (lastClip_ < 0 || static_cast<double>(samples_ - lastClip_) > clipGap) ++clipBursts_;
      lastClip_ = samples_;
    }
    writeSample(out + at, width, sum);
    ++samples_;
  }
}

void LoopThrough::nextBit(const std::function<RdsGroup()>& nextGroup) {
  if (bitsLeft_ == 0) {
    blocks_ = encodeGroup(nextGroup());
    bitsLeft_ = kBitsPerGroup;
  }
  const int bit = kBitsPerGroup - bitsLeft_--;
  const std::uint32_t block = blocks_[static_cast<std::size_t>(bit / kBitsPerBlock)];
  modulator_.pushBit((block >> (kBitsPerBlock - 1 - bit % kBitsPerBlock)) & 1U);
}

}  // namespace orvane
