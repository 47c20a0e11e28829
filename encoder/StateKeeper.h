#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "AirLog.h"
#include "EncoderState.h"
#include "FileDescriptor.h"
#include "KeptAgenda.h"
#include "KeptAir.h"
#include "PollTask.h"

namespace orvane {

// Keeps the on-air state in a file, so that a restart after a crash, a kill or a power cut comes
// back with the station's air instead of blanks. A task of the poll loop: it looks at the air
// after every turn, whoever changed it, and writes at most once every kWriteSpacingMicros, so
// that a console sending every second and a playout every song cost one write a second at most
// (an SD card wears), while the last change is on disk within a second of going on air.
class StateKeeper : public PollTask {
 public:
  // A change that comes just after a write waits for the next one; a second less what that write
  // takes (its fsyncs) and a loop woken a little late keeps it within the second.
  static constexpr std::int64_t kWriteAllowanceMicros = 10'000;
  static constexpr std::int64_t kWriteSpacingMicros = 1'000'000 - kWriteAllowanceMicros;
  // A state file is a few hundred bytes; anything this large is not one.
  static constexpr std::size_t kMaxFileBytes = 64 * 1024;

  struct Clocks {
    std::function<std::int64_t()> monotonic;
    std::function<std::int64_t()> unix;
  };
  // What else is kept besides the air: the deadlines that end part of it, in the monotonic
  // clock's time; where the signal's radiotext stands; the schedule entry running.
  struct Sources {
    std::function<std::optional<std::int64_t>()> playoutText;
    std::function<std::optional<std::int64_t>()> traffic;
    std::function<GroupScheduler::Continuity()> signal;
    std::function<std::optional<KeptAgenda>()> agenda;
  };

  // `lock` held, or invalid with `problem` saying why the air cannot be kept.
  StateKeeper(std::string path, FileDescriptor lock, std::string problem, const EncoderState& state,
              AirLog& log, Clocks clocks);

  // Given before the first turn: what the sources hold then came from the file just read.
  void follow(Sources sources);
  [[nodiscard]] KeptAirHealth health() const;

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled = {}) override;
  // At the end of a run: what has not been written yet is.
  void flush();

 private:
  struct Seen {
    OnAirState air;
    std::optional<std::int64_t> playoutTextEnds, trafficEnds;
    GroupScheduler::Continuity continuity;
    std::optional<KeptAgenda> agenda;
    // The rotation's turns alone are no news: between two edits each line keeps its A/B flag,
    // so a file written at any turn gives back either the message on air or the other one with
    // its own flag, which receivers take as the turn it is. Only the pairing of lines and flags
    // is compared, so that two lines taking turns do not cost a write every few seconds.
    bool operator==(const Seen& other) const;
  };
  [[nodiscard]] Seen look() const;
  void write(const Seen& seen);

  std::string path_;
  FileDescriptor lock_;
  const EncoderState& state_;
  AirLog& log_;
  Clocks clocks_;
  Sources sources_;
  std::optional<Seen> written_;
  std::optional<std::int64_t> lastWriteMono_;
  std::optional<std::int64_t> lastWrittenUnix_;
  std::uint64_t writes_ = 0;
  std::string problem_;
};

// What was brought back at the start, for the parts opened after it.
struct RestoredAir {
  std::unique_ptr<StateKeeper> keeper;  // none: no state is kept (--no-state, --commands)
  bool restored = false;
  // In the monotonic clock's time, to be handed on to their owners.
  std::optional<std::int64_t> playoutTextEnds, trafficEnds;
  // For the signal to go on from: the rotation and song item, and the radiotext they were on.
  GroupScheduler::Continuity continuity;
  std::array<std::string, 2> radiotextThen;
  std::optional<KeptAgenda> agenda;  // for the schedule to go on from
};

struct StateSettings {
  std::optional<std::string> path;  // none: the default place
  bool keep = true;
  std::optional<std::string> defaultText;  // Windows-1252: replaces a song that ended meanwhile
};

// Where the state file goes when no --state is given: systemd's state directory, else the
// XDG state folder. Empty when none can be found. `env` reads an environment variable.
[[nodiscard]] std::string defaultStatePath(const std::function<const char*(const char*)>& env);

// Finds, locks and reads the state file, puts what it holds on air (the command line's PI
// staying), and logs what was restored or why not. Never fails the start: a file that cannot be
// used is set aside and the encoder starts from its start-up values.
[[nodiscard]] RestoredAir restoreAir(const StateSettings& settings, EncoderState& state,
                                     AirLog& log, StateKeeper::Clocks clocks);

}  // namespace orvane
