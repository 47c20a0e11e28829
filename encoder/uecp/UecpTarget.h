#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AddressLookup.h"
#include "AirLog.h"
#include "FileDescriptor.h"
#include "UecpElement.h"
#include "UecpFrameDecoder.h"
#include "UecpSnapshot.h"
#include "UecpTargetSetting.h"

namespace orvane {

// One peer encoder that Orvane drives over UECP, and the link to it. It never waits: a name is
// looked up and the link made and written without blocking, a peer that is down (its name not
// found included) is tried again after 1 s, then 2, 4 … up to 30 s, its name looked up again each
// time, and a peer that stops taking bytes is let go and tried again. What it keeps is not a
// queue of frames but what the peer holds, field by field: whatever changed since is sent when
// the link can take it, the latest value only, and after every (re)connection everything is.
// The log gets one line per change of state, never one per attempt.
class UecpTarget {
 public:
  static constexpr std::int64_t kFirstRetryMicros = 1'000'000;
  static constexpr std::int64_t kLastRetryMicros = 30'000'000;
  static constexpr std::int64_t kConnectMicros = 5'000'000;  // a connection not made by then failed
  static constexpr std::int64_t kStallMicros = 20'000'000;   // a peer that takes nothing that long
  static constexpr std::int64_t kLookupPollMicros = 50'000;  // how often a look-up is asked about

  using ClockReading = std::function<UecpClock()>;  // the UTC time to set the peer's clock to

  // The first attempt is made at once.
  UecpTarget(UecpTargetSetting setting, AirLog& log, ClockReading clock);

  // What to poll for; the descriptor is -1 while there is no link.
  [[nodiscard]] pollfd pollEntry() const;
  // The monotonic time of its next timed step, if any: a retry, a connection's time limit, the
  // limit of a stalled peer, the next look at a name being looked up.
  [[nodiscard]] std::optional<std::int64_t> deadline() const;

  // One turn: makes the link, reads the peer's answers, sends what it lacks of `wanted`.
  void service(short revents, const UecpWanted& wanted, std::int64_t now);

  // The peer's clock is to be set again at the next chance.
  void setClockDue() { clockDue_ = true; }

  // True once the peer has taken everything of `wanted`, down to the last byte.
  [[nodiscard]] bool holds(const UecpWanted& wanted) const;

  [[nodiscard]] const std::string& name() const { return setting_.name; }
  [[nodiscard]] const UecpTargetSetting& setting() const { return setting_; }

  struct Health {
    std::string name;
    bool up = false;
    std::string downSince;                      // local time of day, as the log said it
    std::optional<std::int64_t> downMicros;     // for how long, while not up after a failure
    std::optional<std::int64_t> retryInMicros;  // the next attempt, while down
    std::uint64_t refusals = 0;                 // elements the peer refused since the start
    std::uint64_t connections = 0;              // links made since the start
  };
  [[nodiscard]] Health health(std::int64_t now) const;

 private:
  enum class Status { LookingUp, Connecting, Up, Down };

  void connect(std::int64_t now);
  void lookedUp(std::int64_t now);
  void becomeUp(std::int64_t now);
  void confirm();
  void fail(const std::string& why, std::int64_t now);
  void report(Status status, const std::string& error);
  void readAnswers(std::int64_t now);
  void readAnswer(const UecpFrame& frame);
  void logRefusal(const UecpFrame& frame, std::string_view element);
  void fill(const UecpWanted& wanted);
  void add(const std::string& element);
  void send(const UecpWanted& wanted, std::int64_t now);
  void flush(std::int64_t now);
  void watchProgress(std::int64_t now);

  UecpTargetSetting setting_;
  AddressLookup lookup_;
  AirLog& log_;
  ClockReading clock_;

  FileDescriptor link_;
  Status status_ = Status::Down;
  std::optional<Status> reported_;
  std::string reportedError_;
  std::string downSince_;
  std::int64_t retryAt_ = 0;
  std::int64_t retryMicros_ = kFirstRetryMicros;
  std::int64_t connectBy_ = 0;
  std::int64_t lookAgainAt_ = 0;
  // Bytes the peer has not taken count, whether still here or already in the system's buffers,
  // which can hold a peer's worth of changes for a long time: the stall is measured on the bytes
  // that left, `written_` less those the system still holds.
  std::int64_t lastProgress_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t taken_ = 0;
  bool waiting_ = false;                // bytes the peer has not taken, at the last look
  std::optional<std::int64_t> downAt_;  // the first failure since the link was last up
  std::uint64_t refusals_ = 0;
  std::uint64_t connections_ = 0;
  bool confirmed_ = false;  // the peer is known to be there: it answered, or the link says so

  // Which of the wanted counts the peer has been sent since the link was made; 0: nothing.
  std::array<std::uint64_t, kOnAirFieldCount> sent_{};
  bool clockDue_ = true;
  bool modeSent_ = false;
  std::string unsent_;
  std::uint8_t sequence_ = 0;
  std::array<std::uint8_t, 256> elementBySequence_{};  // which element each counter carried
  UecpFrameDecoder decoder_;
  std::vector<UecpFrameDecoder::Event> events_;
};

}  // namespace orvane
