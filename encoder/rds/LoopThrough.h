#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "MpxModulator.h"
#include "PcmFormat.h"
#include "PilotLock.h"
#include "RdsGroup.h"

namespace orvane {

// The station's multiplex in, the same with RDS added out: the way a hardware encoder sits
// between the audio processor and the exciter. Each output sample is the input sample plus the
// RDS signal, in the input's own format, so that the programme passes bit for bit; the RDS
// subcarrier and its bit clock follow the input's pilot (a bit is sixteen of its cycles).
//
// Where input and RDS together would go past full scale the sum is held at full scale, which is
// the only thing the format allows, and counted: the log and the metrics say so.
class LoopThrough {
 public:
  LoopThrough(PcmLayout layout, double rdsLevel);

  // Adds RDS to the whole samples in `in`, writing as many bytes to `out`; calls `nextGroup`
  // whenever the bits of the last group have all begun.
  void process(std::string_view in, char* out, const std::function<RdsGroup()>& nextGroup);

  [[nodiscard]] const PcmLayout& layout() const { return layout_; }
  [[nodiscard]] const PilotLock& pilot() const { return lock_; }
  [[nodiscard]] std::int64_t samples() const { return samples_; }
  [[nodiscard]] std::uint64_t clippedSamples() const { return clipped_; }
  // Runs of clipping, a run ending after a second without any.
  [[nodiscard]] std::uint64_t clipBursts() const { return clipBursts_; }
  // How far the RDS signal runs behind the bits: the modulator's look-ahead.
  [[nodiscard]] std::int64_t delaySamples() const { return modulator_.delaySamples(); }

 private:
  static constexpr std::size_t kPiece = 256;  // samples the lock follows at a time

  template <int kWidth>
  void processSamples(std::string_view in, char* out, const std::function<RdsGroup()>& nextGroup);
  void noteClip(std::int64_t sample);
  void nextBit(const std::function<RdsGroup()>& nextGroup);

  PcmLayout layout_;
  double fullScale_;
  std::int64_t maxValue_;
  MpxModulator modulator_;
  PilotLock lock_;
  std::array<std::uint32_t, 4> blocks_{};
  int bitsLeft_ = 0;    // of blocks_, still to begin
  float bitPhase_ = 0;  // of the last sample, 0 to 1 into its bit
  std::int64_t samples_ = 0;
  std::uint64_t clipped_ = 0;
  std::uint64_t clipBursts_ = 0;
  std::int64_t lastClip_ = -1;
};

}  // namespace orvane
