#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Command.h"
#include "OnAirChange.h"
#include "OnAirField.h"
#include "OnAirState.h"

namespace orvane {

// The encoder's values: what is on air, and what the current batch has set but not yet released.
// The programme type, the programme-item time, the service name and the radiotexts go on air
// together at ENCODE, so that a receiver never shows a new first line beside an old second one.
// The switches go on air at once: the console sends TA, TP and MS without an ENCODE, and a traffic
// announcement cannot wait for one.
class EncoderState {
 public:
  // `programmeIdentification`: a PI code the operator chose, which peers are to be told.
  explicit EncoderState(std::optional<std::uint16_t> programmeIdentification = std::nullopt);

  // Applies one command and returns the on-air changes it caused, described for the operator.
  [[nodiscard]] std::vector<std::string> apply(const Command& command);

  // As `apply`, but the description is left to the caller, to be made when it holds nothing up;
  // none when nothing on air changed. A value held for ENCODE costs no copy of the state; a change
  // is made in place and shared, so that the log keeps it to the turn's end without moving it.
  // Once every holder has let it go, the next change is made in its place.
  // The command is taken whole, so that a text held for ENCODE is moved, not copied.
  [[nodiscard]] std::shared_ptr<const OnAirChange> applyUndescribed(Command command);

  // Forgets whatever waits for ENCODE; true when there was something. Used when a client leaves
  // mid-batch, so that the rest of a broken batch cannot go on air with the next client's ENCODE.
  bool discardPending();

  // Puts `next` on air at once, leaving whatever waits for ENCODE alone, and returns the changes
  // described for the operator. For peers that set values one by one and mean each at once: a
  // UECP client must not release a console's half-sent batch.
  [[nodiscard]] std::vector<std::string> replaceOnAir(const OnAirState& next,
                                                      const AssignedFields& fields);

  [[nodiscard]] const OnAirState& onAir() const { return onAir_; }
  [[nodiscard]] const AssignedFields& assigned() const { return assigned_; }
  // Counts every TA=1 given, also one that changed nothing: a traffic announcement still running
  // is renewed by sending it again.
  [[nodiscard]] std::uint64_t trafficAnnouncementsGiven() const { return trafficGiven_; }
  // Moves whenever `field` is given a value, whether or not that changed it: whoever derives
  // something from a field need derive it again only when this moved.
  [[nodiscard]] std::uint64_t revision(OnAirField field) const {
    return revisions_[static_cast<std::size_t>(field)];
  }

 private:
  struct Pending {
    std::optional<int> programmeType;
    std::optional<ProgrammeItemTime> programmeItemTime;
    std::optional<std::string> programmeServiceName;
    std::array<std::optional<std::string>, 2> radiotext;
    AssignedFields fields;
  };

  void hold(Command&& command);
  void switchNow(const Command& command);
  void encode();
  void touch(OnAirField field) { ++revisions_[static_cast<std::size_t>(field)]; }

  OnAirState onAir_;
  Pending pending_;
  AssignedFields assigned_;
  std::uint64_t trafficGiven_ = 0;
  std::array<std::uint64_t, kOnAirFieldCount> revisions_{};
  std::shared_ptr<OnAirChange> lastChange_;  // given out by applyUndescribed
};

}  // namespace orvane
