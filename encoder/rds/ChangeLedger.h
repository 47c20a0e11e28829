#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The doors through which the on-air state is changed.
enum class ChangeSource { Console, Line, Http, File, Uecp, Agenda };

inline constexpr std::array<std::string_view, 6> kChangeSourceNames = {
    "console", "linha", "http", "ficheiro", "uecp", "agenda"};

// Who last changed what goes on air, per door: when, from where, and how often since the start.
// Every door records its changes here, so that the status page can say who put a text on air
// when two doors disagree.
class ChangeLedger {
 public:
  struct Entry {
    std::int64_t unixMicros = 0;
    std::string address;  // the client's; empty for a file or the command line
    std::uint64_t changes = 0;
  };

  // Addresses longer than this are cut: a door's peer name is ours, but it is kept bounded.
  static constexpr std::size_t kMaxAddress = 64;

  using UnixClock = std::function<std::int64_t()>;  // microseconds of Unix time
  explicit ChangeLedger(UnixClock clock);

  // A change through `source` from `address`, now.
  void record(ChangeSource source, std::string_view address);

  [[nodiscard]] const std::optional<Entry>& last(ChangeSource source) const {
    return entries_[static_cast<std::size_t>(source)];
  }
  // The most recent change through any door; none before the first.
  [[nodiscard]] std::optional<std::int64_t> lastChangeMicros() const;

 private:
  UnixClock clock_;
  std::array<std::optional<Entry>, kChangeSourceNames.size()> entries_;
};

}  // namespace orvane
