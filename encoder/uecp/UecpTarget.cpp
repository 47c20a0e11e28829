#include "UecpTarget.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "NonBlocking.h"
#include "UecpDatagram.h"
#include "UecpLink.h"

namespace orvane {
namespace {

constexpr std::size_t kReadChunk = 512;
constexpr std::uint8_t kLastSequence = 0xFF;

std::string clockOfDay() {
  const WallClockTime now = localWallClock();
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  return text;
}

}  // namespace

UecpTarget::UecpTarget(UecpTargetSetting setting, AirLog& log, ClockReading clock)
    : setting_(std::move(setting)), log_(log), clock_(std::move(clock)) {
  report(Status::Connecting, {});
}

pollfd UecpTarget::pollEntry() const {
  if (!link_.valid()) return {-1, 0, 0};
  short events = POLLIN;
  if (status_ == Status::Connecting || !unsent_.empty()) events |= POLLOUT;
  return {link_.get(), events, 0};
}

std::optional<std::int64_t> UecpTarget::deadline() const {
  switch (status_) {
    case Status::Down:
      return retryAt_;
    case Status::LookingUp:
      return lookAgainAt_;
    case Status::Connecting:
      return connectBy_;
    case Status::Up:
      if (waiting_) return lastProgress_ + kStallMicros;
      break;
  }
  return std::nullopt;
}

[[gnu::hot]] void UecpTarget::service(short revents, const UecpWanted& wanted, std::int64_t now) {
  if (status_ == Status::Down && now >= retryAt_) connect(now);
  if (status_ == Status::LookingUp) lookedUp(now);
  if (status_ == Status::Connecting) {
    if ((revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const std::string outcome = connectOutcome(link_.get());
      if (outcome.empty()) {
        becomeUp(now);
      } else {
        fail(outcome, now);
      }
    } else if (now >= connectBy_) {
      fail("sem resposta em " + std::to_string(kConnectMicros / 1'000'000) + " s", now);
    }
  }
  if (status_ != Status::Up) return;
  if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) readAnswers(now);
  if (status_ != Status::Up) return;
  send(wanted, now);
  if (status_ != Status::Up) return;
  watchProgress(now);
  if (waiting_ && now - lastProgress_ >= kStallMicros) fail("não recebe o que lhe é enviado", now);
}

bool UecpTarget::holds(const UecpWanted& wanted) const {
  for (std::size_t i = 0; i < kOnAirFieldCount; ++i) {
    if (!wanted.elements[i].empty() && wanted.revisions[i] != sent_[i]) return false;
  }
  return status_ == Status::Up && unsent_.empty() && !clockDue_ && bytesInFlight(link_.get()) == 0;
}

void UecpTarget::connect(std::int64_t now) {
  std::string error;
  if (setting_.kind == UecpTargetSetting::Kind::Serial) {
    link_ = openSerialLine(setting_.device, setting_.baud, error);
    if (link_.valid()) {
      becomeUp(now);
    } else {
      fail(error, now);
    }
    return;
  }
  // Looked up on every attempt: a name whose address moved is found where it is now.
  lookup_.start(setting_.host, setting_.port);
  status_ = Status::LookingUp;
}

void UecpTarget::lookedUp(std::int64_t now) {
  switch (lookup_.poll()) {
    case AddressLookup::Status::Found:
      break;
    case AddressLookup::Status::Failed:
    case AddressLookup::Status::Idle:
      fail(lookup_.error(), now);
      return;
    case AddressLookup::Status::Busy:
      lookAgainAt_ = now + kLookupPollMicros;
      return;
  }
  std::string error;
  const bool datagrams = setting_.kind == UecpTargetSetting::Kind::Udp;
  link_ = datagrams ? openDatagramLink(lookup_.address(), error)
                    : startConnect(lookup_.address(), error);
  if (!link_.valid()) {
    fail(error, now);
    return;
  }
  if (datagrams) {
    becomeUp(now);
    return;
  }
  status_ = Status::Connecting;
  connectBy_ = now + kConnectMicros;
}

// Over UDP nothing says the peer is there until it answers (it is asked to answer every frame), so
// until then the link is used but not counted, logged or trusted to reset the wait between
// attempts: a peer that is not there would otherwise be "up" and "down" again at every attempt.
void UecpTarget::becomeUp(std::int64_t now) {
  status_ = Status::Up;
  confirmed_ = false;
  if (setting_.kind != UecpTargetSetting::Kind::Udp) confirm();
  lastProgress_ = now;
  written_ = taken_ = 0;
  waiting_ = false;
  sent_ = {};
  clockDue_ = true;
  modeSent_ = false;
  unsent_.clear();
  decoder_ = {};
}

void UecpTarget::confirm() {
  confirmed_ = true;
  downAt_.reset();
  ++connections_;
  retryMicros_ = kFirstRetryMicros;
  report(Status::Up, {});
}

void UecpTarget::fail(const std::string& why, std::int64_t now) {
  link_.reset();
  status_ = Status::Down;
  if (!downAt_) downAt_ = now;
  retryAt_ = now + retryMicros_;
  retryMicros_ = std::min(retryMicros_ * 2, kLastRetryMicros);
  report(Status::Down, why);
}

// One line per change: a retry that fails as the last one did says nothing new.
void UecpTarget::report(Status status, const std::string& error) {
  if (reported_ == status && reportedError_ == error) return;
  const bool wasDown = reported_ == Status::Down;
  reported_ = status;
  reportedError_ = error;
  const std::string prefix = "UECP " + setting_.name + ": ";
  switch (status) {
    case Status::Connecting:
    case Status::LookingUp:
      log_.write(prefix + "a ligar");
      break;
    case Status::Up:
      log_.write(prefix + "ligado");
      break;
    case Status::Down:
      if (!wasDown) downSince_ = clockOfDay();
      log_.write(prefix + "em baixo desde " + downSince_ + ": " + error);
      break;
  }
}

// Over UDP an empty datagram is only that, and a peer that is not there says so through the
// system (a refused port) at the next read; a datagram that is not one whole frame is dropped.
void UecpTarget::readAnswers(std::int64_t now) {
  std::array<char, kReadChunk> buffer;
  const bool datagrams = setting_.kind == UecpTargetSetting::Kind::Udp;
  const ssize_t got = ::read(link_.get(), buffer.data(), buffer.size());
  if (got < 0 && wouldBlock()) return;
  if (got < 0 || (got == 0 && !datagrams)) {
    fail(got == 0 ? "a ligação foi fechada pelo codificador" : std::strerror(errno), now);
    return;
  }
  const std::string_view bytes(buffer.data(), static_cast<std::size_t>(got));
  if (datagrams) {
    if (const auto frame = frameOfDatagram(bytes)) readAnswer(*frame);
    return;
  }
  events_.clear();
  decoder_.feed(bytes, events_);
  for (const auto& event : events_) {
    if (event.isFrame) readAnswer(event.frame);
  }
}

void UecpTarget::readAnswer(const UecpFrame& frame) {
  if (!confirmed_) confirm();
  for (std::string_view element : splitUecpMessage(frame.message).elements) {
    if (static_cast<UecpCode>(element[0]) == UecpCode::Acknowledgement && element[1] != 0) {
      logRefusal(frame, element);
    }
  }
}

// Asking for answers is a courtesy some peers do not know; their refusal of it is not news.
void UecpTarget::logRefusal(const UecpFrame& frame, std::string_view element) {
  const auto sequence = element.size() > 2 ? static_cast<std::uint8_t>(element[2]) : frame.sequence;
  const std::uint8_t code = elementBySequence_[sequence];
  if (static_cast<UecpCode>(code) == UecpCode::CommunicationMode) return;
  ++refusals_;
  log_.writeAboutPeer("UECP " + setting_.name + ": o codificador recusou " + uecpElementName(code) +
                      ": " + uecpAnswerName(static_cast<std::uint8_t>(element[1])));
}

// The peer is asked to answer every frame, so that a refusal can be logged; then its clock, then
// every field that differs from what it was sent.
[[gnu::hot]] void UecpTarget::fill(const UecpWanted& wanted) {
  if (!modeSent_) add(uecpCommunicationMode(UecpMode::AnswerEveryFrame));
  modeSent_ = true;
  if (clockDue_) add(uecpClockSet(clock_()));
  clockDue_ = false;
  for (std::size_t i = 0; i < kOnAirFieldCount; ++i) {
    if (wanted.elements[i].empty() || wanted.revisions[i] == sent_[i]) continue;
    for (const std::string& element : wanted.elements[i]) add(element);
    sent_[i] = wanted.revisions[i];
  }
}

// One element a frame: some encoders read only the first element of a message field, and a
// refusal then names the element it is about.
[[gnu::hot]] void UecpTarget::add(const std::string& element) {
  sequence_ = sequence_ == kLastSequence ? 1 : static_cast<std::uint8_t>(sequence_ + 1);
  elementBySequence_[sequence_] = static_cast<std::uint8_t>(element[0]);
  appendUecpFrame(unsent_, setting_.address, sequence_, element);
}

// Whatever the link takes, the latest state follows at once: a flush that empties the buffer
// fills it again, since no event will come to say that the link has room.
void UecpTarget::send(const UecpWanted& wanted, std::int64_t now) {
  while (status_ == Status::Up) {
    if (unsent_.empty()) fill(wanted);
    if (unsent_.empty()) return;
    flush(now);
    if (!unsent_.empty()) return;
  }
}

// Over UDP each frame is a datagram of its own, sent whole or not at all.
[[gnu::hot]] void UecpTarget::flush(std::int64_t now) {
  while (!unsent_.empty()) {
    const std::size_t size =
        setting_.kind == UecpTargetSetting::Kind::Udp
            ? std::min(unsent_.find(static_cast<char>(kUecpStop)), unsent_.size() - 1) + 1
            : unsent_.size();
    const ssize_t sent = setting_.kind == UecpTargetSetting::Kind::Serial
                             ? ::write(link_.get(), unsent_.data(), size)
                             : ::send(link_.get(), unsent_.data(), size, kSendFlags);
    if (sent < 0 && wouldBlock()) return;
    if (sent <= 0) {
      fail(std::strerror(errno), now);
      return;
    }
    unsent_.erase(0, static_cast<std::size_t>(sent));
    written_ += static_cast<std::uint64_t>(sent);
  }
}

// Bytes leaving the system's buffers are the peer's progress; bytes that start to wait on an idle
// link start the clock.
void UecpTarget::watchProgress(std::int64_t now) {
  const std::uint64_t inFlight = bytesInFlight(link_.get());
  const std::uint64_t taken = written_ - std::min(inFlight, written_);
  const bool waiting = inFlight > 0 || !unsent_.empty();
  if (taken != taken_ || !waiting_) lastProgress_ = now;
  taken_ = taken;
  waiting_ = waiting;
}

UecpTarget::Health UecpTarget::health(std::int64_t now) const {
  Health health{setting_.name, status_ == Status::Up && confirmed_, downSince_, {}, {}, refusals_,
                connections_};
  if (!health.up && downAt_) health.downMicros = now - *downAt_;
  if (status_ == Status::Down) health.retryInMicros = std::max<std::int64_t>(0, retryAt_ - now);
  if (health.up) health.downSince.clear();
  return health;
}

}  // namespace orvane
