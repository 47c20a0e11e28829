#include "ChangeLedger.h"

#include <algorithm>

namespace orvane {

ChangeLedger::ChangeLedger(UnixClock clock) : clock_(std::move(clock)) {}

void ChangeLedger::record(ChangeSource source, std::string_view address) {
  auto& entry = entries_[static_cast<std::size_t>(source)];
  const std::uint64_t before = entry ? entry->changes : 0;
  entry = Entry{clock_(), std::string(address.substr(0, kMaxAddress)), before + 1};
}

std::optional<std::int64_t> ChangeLedger::lastChangeMicros() const {
  std::optional<std::int64_t> latest;
  for (const auto& entry : entries_) {
    if (entry) latest = std::max(latest.value_or(entry->unixMicros), entry->unixMicros);
  }
  return latest;
}

}  // namespace orvane
