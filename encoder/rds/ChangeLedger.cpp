#include "ChangeLedger.h"

#include <algorithm>

namespace orvane {

ChangeLedger::ChangeLedger(UnixClock clock) : clock_(std::move(clock)) {}

[[gnu::hot]] void ChangeLedger::record(ChangeSource source, std::string_view address) {
  // Changed in place: a console's address stays the same from one change to the next.
  auto& entry = entries_[static_cast<std::size_t>(source)];
  if (!entry) entry = Entry{};
  entry->unixMicros = clock_();
  entry->address.assign(address.substr(0, kMaxAddress));
  ++entry->changes;
}

std::optional<std::int64_t> ChangeLedger::lastChangeMicros() const {
  std::optional<std::int64_t> latest;
  for (const auto& entry : entries_) {
    if (entry) latest = std::max(latest.value_or(entry->unixMicros), entry->unixMicros);
  }
  return latest;
}

}  // namespace orvane
