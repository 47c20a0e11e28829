#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// What a place in the group sequence carries.
enum class SlotKind {
  ServiceName,        // 0A
  Radiotext,          // 2A
  Announcement,       // 3A: the open data applications on air, in turn
  TypeName,           // 10A
  RadiotextPlus,      // 11A
  EnhancedRadiotext,  // 12A
  OtherNetwork,       // 14A
  LongName,           // 15A
};

// The order the groups go on air in: a cycle of places, each for one kind of group, read one
// place a group. A place whose service has nothing to send (switched off, or ahead of its own
// pace, as the other networks are with few of them) gives way to the radiotext: the names keep
// their places, so every transmission of the name takes as long and a frame of a name that runs
// through frames stays on as long as it is held. What the cycle does not hold goes in between its
// places: the clock time (4A) at the minute edge, the programme item (1A) on its timer, an edit at
// once, another network's TA change (14B) in the place of any group but a 0A.
//
// Every cycle is checked against the rules receivers feel, with a group to spare for one of
// those put in between: four 0A in any ten places (four within a second with a 4A among them),
// sixteen 2A in 54 (a 64-character radiotext in 5 s), an 11A in 24, a 3A in 49 while anything
// needs one, eight 15A in 88, a 14A in 20 (eight other networks whole in 2 minutes) and two 10A
// in 40, for those the cycle holds; so a cycle that passes keeps every window by construction.
class GroupSequence {
 public:
  static constexpr std::size_t kMaxSlots = 240;

  // The encoder's own: 40 places, 3.5 s.
  [[nodiscard]] static GroupSequence standard();
  // "0A,2A,0A,11A,…" (commas or blanks); none with `error` saying why when it breaks a rule.
  [[nodiscard]] static std::optional<GroupSequence> parse(std::string_view text,
                                                          std::string& error);

  [[nodiscard]] SlotKind at(std::size_t index) const { return slots_[index % slots_.size()]; }
  [[nodiscard]] std::size_t size() const { return slots_.size(); }
  [[nodiscard]] bool holds(SlotKind kind) const;
  [[nodiscard]] std::string text() const;

 private:
  explicit GroupSequence(std::vector<SlotKind> slots) : slots_(std::move(slots)) {}
  std::vector<SlotKind> slots_;
};

}  // namespace orvane
