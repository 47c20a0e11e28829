#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GroupScheduler.h"
#include "InputStream.h"
#include "LoopThrough.h"
#include "MpxModulator.h"
#include "OnAirState.h"
#include "OutputStream.h"
#include "PollTask.h"
#include "SoundCard.h"

namespace orvane {

// How fast the signal is made.
enum class Pacing {
  Clock,           // at its real rate, by the monotonic clock: what goes on air now is current
  AsFastAsWritten  // as fast as the outputs take it: a pipe's reader sets the pace, files none
};

// Where the clock-time groups and the time in the service name take the time of day from.
enum class TimeOfDay {
  // The system's clock when each group is made, plus what is still waiting ahead of the group on
  // its way out: right for a signal that goes out as it is made, and follows a clock put right.
  Live,
  // The system's clock at the start plus the signal's own time: a signal made faster than real
  // time carries the times it would have had on air.
  FromStart
};

// The output stage: turns the on-air state into groups and the multiplex, group by group, and
// writes them without blocking. It reads the state afresh for every group, so a change the
// console makes is in the next group made. Runs as a task of the server's poll loop.
class SignalOutput : public PollTask {
 public:
  struct Clocks {
    std::function<std::int64_t()> monotonic;  // microseconds, any origin: paces the signal
    std::function<std::int64_t()> wall;       // microseconds of Unix time: the time of day
  };

  // Output not yet taken, at most; beyond it nothing new is made until a reader catches up.
  static constexpr std::size_t kMaxPendingBytes = 64 * 1024;
  // Groups made in one turn at most: about a second of signal between two looks at the console.
  static constexpr int kGroupsPerTurn = 12;
  // Without the multiplex a group is a 20-byte line made in well under a microsecond, so a turn
  // makes a buffer's worth; what paces the signal (the clock, the reader) bounds it all the same.
  static constexpr int kGroupLinesPerTurn = 2048;

  struct Settings {
    Pacing pacing = Pacing::Clock;
    std::optional<std::int64_t> samples;  // length of the signal; none: until stopped
    TimeOfDay timeOfDay = TimeOfDay::Live;
    int sampleRate = MpxModulator::kDefaultSampleRate;
    double rdsLevel = MpxModulator::kDefaultRdsLevel;
  };

  SignalOutput(const OnAirState& onAir, GroupScheduler scheduler, Settings settings, Clocks clocks);

  // The station settings the groups are made with, for a reload to change between two groups.
  [[nodiscard]] GroupScheduler& scheduler() { return scheduler_; }

  // Sees every group as it is made, with its start in the signal's own time: the read-back that
  // the status page is built from.
  using GroupWatcher = std::function<void(const RdsGroup&, std::int64_t signalMicros)>;
  // A reader that takes nothing for this long, with output waiting, has stalled.
  static constexpr std::int64_t kStallMicros = 1'000'000;
  // A loop that did not run for longer than this (a stop, a paused machine, a slow disk; twice
  // what one turn makes) left a gap: a clock-paced signal then goes on from the present instead
  // of sending the past late, in a burst that a listener of a live signal would hear as old.
  static constexpr std::int64_t kGapMicros = 2'000'000;

  void setGroupOutput(OutputStream stream);
  void watchGroups(GroupWatcher watcher) { watcher_ = std::move(watcher); }
  // Hears what the log should say of the signal: a loop-through's pilot lost and found again,
  // and clipping, once each time it begins.
  void reportTo(std::function<void(const std::string&)> report) { report_ = std::move(report); }
  // A WAV file when `wav`, raw samples otherwise. A WAV also ends the signal at the size the
  // format can describe.
  void setMpxOutput(OutputStream stream, bool wav);
  // A loop-through: the multiplex is `input` (laid out as `layout`, `start` already read of it)
  // with RDS added, not ours; given before the output, which then keeps the input's layout.
  void setMpxInput(InputStream input, PcmLayout layout, std::string start);
  // A sound card as the way in of a loop-through, laid out as `layout`; given before the output.
  void setCardInput(SoundCard::Settings card, PcmLayout layout);
  // A sound card the signal is played to, whose clock then paces it: nothing is made while it
  // cannot be used, and the time of day in the groups counts in what waits in its buffer.
  void setAudioOutput(SoundCard::Settings card);

  [[nodiscard]] GroupScheduler::Continuity continuity() const { return scheduler_.continuity(); }
  // Before the first group: see GroupScheduler::resume.
  void resume(const GroupScheduler::Continuity& continuity,
              const std::array<std::string, 2>& radiotext) {
    scheduler_.resume(continuity, radiotext);
  }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled = {}) override;

  // Once the run is accepted, before the first group: the signal's clocks start, and files opened
  // by name lose what they held.
  bool startAfresh();
  // When the run is refused: files the outputs created are removed again.
  void withdraw();

  // Writes what can go without waiting and completes the files: the WAV header describes the
  // samples that reached the file, and no file ends in a partial sample or group line, also
  // after a failed write.
  void close();

  [[nodiscard]] bool failed() const { return !error_.empty(); }
  [[nodiscard]] const std::string& error() const { return error_; }
  [[nodiscard]] bool complete() const;
  [[nodiscard]] std::int64_t groupsMade() const { return groupsMade_; }

  struct Health {
    std::vector<std::string> outputs;  // the names of the outputs
    std::size_t pendingBytes = 0;      // made and not yet taken by the slowest reader
    bool stalled = false;              // a reader has taken nothing for kStallMicros
    std::int64_t stalledMicros = 0;    // for how long, when stalled
    std::uint64_t stalls = 0;          // times a reader stalled or the loop left a gap
    // How far the signal made lags behind the clock it is paced by; none when not paced by one.
    std::optional<std::int64_t> lagMicros;
    std::uint64_t gaps = 0;          // of the stalls, the loop's gaps
    std::int64_t lostMicros = 0;     // the signal time the gaps skipped, in all
    std::int64_t lastGapMicros = 0;  // the length of the last gap

    // On a loop-through: the input's pilot and what adding RDS to it came to.
    struct LoopThrough {
      bool pilotPresent = false;
      bool locked = false;
      double pilotLevel = 0;         // full scale 1
      double phaseErrorDegrees = 0;  // smoothed, of the pilot; three times it on the subcarrier
      double pilotOffsetPpm = 0;
      std::uint64_t clippedSamples = 0;
      std::uint64_t clipBursts = 0;
    };
    std::optional<LoopThrough> loopThrough;
    std::vector<SoundCard::Health> cards;  // the way in first, when both are cards
  };
  [[nodiscard]] Health health() const;

 private:
  [[nodiscard]] bool mayMakeGroup() const;
  RdsGroup nextGroup();
  void makeGroup();
  bool loopThrough();
  void reportLoopThrough();
  bool endTurn();
  [[nodiscard]] std::optional<std::int64_t> loopSampleLimit() const;
  [[nodiscard]] PcmLayout outputLayout() const;
  bool flushAll();
  [[nodiscard]] std::size_t pending() const;
  [[nodiscard]] bool drained() const;
  [[nodiscard]] bool mayTakeInput() const;
  InputStream::Read readInput();
  void play(std::string_view samples, int bits);
  void playBacklog();
  void waitForCards(Wait& wait) const;
  [[nodiscard]] std::int64_t groupOffsetMicros(std::int64_t group) const;
  [[nodiscard]] GroupTime nextGroupTime() const;
  [[nodiscard]] std::int64_t microsWaitingAhead() const;
  void completeFiles();
  [[nodiscard]] std::optional<std::int64_t> groupLimit() const;
  [[nodiscard]] std::vector<OutputStream*> streams();
  void noteProgress();
  void skipGap();

  const OnAirState& onAir_;
  GroupScheduler scheduler_;
  Settings settings_;
  Clocks clocks_;
  std::int64_t clockStart_;
  std::int64_t unixStart_;

  std::optional<OutputStream> groupStream_;
  std::optional<OutputStream> mpxStream_;
  bool wav_ = false;
  MpxModulator modulator_;
  std::optional<InputStream> input_;
  std::unique_ptr<SoundCard> capture_;
  std::unique_ptr<SoundCard> playback_;
  std::string audioBacklog_;  // made, in the card's format, and not yet taken by it
  std::string scratch_;       // samples made for the card alone, with no file to make them in
  std::unique_ptr<LoopThrough> loop_;
  std::string inputBytes_;  // read and not yet looped through: at most a partial sample
  bool inputEnded_ = false;
  std::int64_t samplesMade_ = 0;
  std::int64_t groupsMade_ = 0;
  std::string error_;
  bool closed_ = false;

  GroupWatcher watcher_;
  std::function<void(const std::string&)> report_;
  bool pilotReported_ = false;  // the pilot's state the log last gave
  std::uint64_t clipBurstsReported_ = 0;
  std::uint64_t lastWritten_ = 0;  // by all outputs, at the last look
  std::int64_t lastProgress_ = 0;  // monotonic time the readers last took something
  bool stalled_ = false;
  std::uint64_t stalls_ = 0;
  std::optional<std::int64_t> lastService_;  // monotonic; none before the signal starts
  std::uint64_t gaps_ = 0;
  std::int64_t lostMicros_ = 0;
  std::int64_t lastGapMicros_ = 0;
};

}  // namespace orvane
