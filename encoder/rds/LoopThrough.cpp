#include "LoopThrough.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace orvane {
namespace {

std::int32_t readSample(const char* at, int bytes) {
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
      // The shapes in the samples' own units, so that no sample needs scaling.
      modulator_(static_cast<int>(layout.sampleRate), rdsLevel * fullScale_),
      lock_(static_cast<int>(layout.sampleRate)) {}

void LoopThrough::process(std::string_view in, char* out,
                          const std::function<RdsGroup()>& nextGroup) {
  switch (layout_.bytesPerSample()) {
    case 2:
      return processSamples<2>(in, out, nextGroup);
    case 3:
      return processSamples<3>(in, out, nextGroup);
    default:
      return processSamples<4>(in, out, nextGroup);
  }
}

// One width at a time, so that a sample's bytes are read and written without a loop; a piece at
// a time, so that the lock's loop over the samples is one of its own.
template <int kWidth>
void LoopThrough::processSamples(std::string_view in, char* out,
                                 const std::function<RdsGroup()>& nextGroup) {
  const double toFullScale = 1.0 / fullScale_;
  const std::int64_t maxValue = maxValue_;
  std::array<std::int32_t, kPiece> samples;
  std::array<float, kPiece> input;
  std::array<float, kPiece> subcarrier;
  std::array<float, kPiece> bitPhase;
  const std::size_t count = in.size() / kWidth;
  for (std::size_t first = 0; first < count; first += kPiece) {
    const std::size_t length = std::min(kPiece, count - first);
    const char* from = in.data() + first * kWidth;
    char* to = out + first * kWidth;
    for (std::size_t n = 0; n < length; ++n) {
      samples[n] = readSample(from + n * kWidth, kWidth);
      input[n] = static_cast<float>(samples[n] * toFullScale);
    }
    lock_.follow(std::span(input.data(), length), subcarrier, bitPhase);
    // Kept in locals: the bytes written could be anything as far as the compiler knows.
    const float* bitShape = modulator_.currentBit();
    float lastPhase = bitPhase_;
    for (std::size_t n = 0; n < length; ++n) {
      if (bitPhase[n] < lastPhase - 0.5F) {
        nextBit(nextGroup);
        bitShape = modulator_.currentBit();
      }
      lastPhase = bitPhase[n];
      const double rds = MpxModulator::rdsOn(bitShape, std::max(0.0F, lastPhase), subcarrier[n]);
      // Rounded half away from zero without a branch: the sign is as likely one way as the other.
      std::int64_t sum = samples[n] + static_cast<std::int64_t>(rds + std::copysign(0.5, rds));
      if (sum > maxValue || sum < -maxValue - 1) [[unlikely]] {
        sum = sum > 0 ? maxValue : -maxValue - 1;
        noteClip(samples_ + static_cast<std::int64_t>(n));
      }
      writeSample(to + n * kWidth, kWidth, sum);
    }
    bitPhase_ = lastPhase;
    samples_ += static_cast<std::int64_t>(length);
  }
}

// A second without clipping ends a burst.
void LoopThrough::noteClip(std::int64_t sample) {
  ++clipped_;
  if (lastClip_ < 0 || static_cast<double>(sample - lastClip_) > layout_.sampleRate) ++clipBursts_;
  lastClip_ = sample;
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
