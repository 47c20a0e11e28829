#include "Rotation.h"

#include <algorithm>
#include <limits>

#include "CommandFormat.h"

namespace orvane {
namespace {

constexpr std::int32_t kFirstOrderNumber = 1;

// Index and counters advance with wrap-around instead of overflowing: a list numbered up to the
// largest int must not make the arithmetic undefined.
std::int32_t nextNumber(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1U);
}

std::int32_t saturatedTicks(std::int64_t ticks) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      ticks, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TickOutcome Rotation::step() {
  if (state_.autoRotate == 0) return TickOutcome::carryOn;

  const bool mayQueue = !batchOutstanding_;
  if (batchOutstanding_ && state_.busy == 0) batchOutstanding_ = false;

  const std::int32_t ticks = state_.rotateTicks;
  const std::int32_t dwell = state_.rotateDwell;
  // The countdown is shown as an unsigned number: a negative dwell, or a pair held back by the
  // queue bound, shows 0 rather than a number near four thousand million.
  state_.rotateCountdown = std::max<std::int32_t>(0, saturatedTicks(std::int64_t{dwell} - ticks));
  state_.rotateTicks = saturatedTicks(std::int64_t{ticks} + 1);
  if (ticks < dwell || !mayQueue) return TickOutcome::carryOn;

  state_.rotateTicks = 0;
  state_.rotateDwell = 0;
  const Pair pair = readNextPair();
  if (pair.first.empty() && pair.second.empty()) {
    state_.rotateTicks = 0;
    state_.rotateDwell = 0;
    state_.rotateIndex = kFirstOrderNumber;
    return TickOutcome::endTickEarly;
  }
  queueBatch(pair.first, pair.second);
  state_.radioText1 = pair.first;
  state_.radioText2 = pair.second;
  state_.rotateDwell = dwellTicks(pair);
  return TickOutcome::carryOn;
}

Rotation::Pair Rotation::readNextPair() {
  Pair pair;
  constexpr int kPasses = 2;
  for (int pass = 0; pass < kPasses; ++pass) {
    if (lookUpNext(pair.first, pair.firstDwell)) {
      if (!lookUpNext(pair.second, pair.secondDwell)) state_.rotateIndex = kFirstOrderNumber;
      return pair;
    }
    // The list ran out (or never had this number): start again from the first entry.
    state_.rotateIndex = kFirstOrderNumber;
  }
  return pair;
}

bool Rotation::lookUpNext(std::string& text, std::optional<std::int32_t>& dwell) {
  const std::int32_t orderNumber = state_.rotateIndex;
  state_.rotateIndex = nextNumber(state_.rotateIndex);
  std::string found;
  std::int32_t foundDwell = 0;
  if (!list_.readEntry(orderNumber, found, foundDwell)) return false;
  if (found.size() > kMaxTextLength) found.resize(kMaxTextLength);
  text = std::move(found);
  dwell = foundDwell;
  return true;
}

void Rotation::queueBatch(const std::string& first, const std::string& second) {
  queue_.append(radioText0Command(first));
  queue_.append(radioText1Command(second));
  queue_.append(kEncodeCommand);
  queue_.startBatch();
  batchOutstanding_ = true;
}

std::int32_t Rotation::dwellTicks(const Pair& pair) {
  std::int32_t units = pair.firstDwell.value_or(0);
  if (pair.secondDwell) units = std::max(units, *pair.secondDwell);
  return saturatedTicks(std::int64_t{units} * kTicksPerDwellUnit);
}

}  // namespace orvane
