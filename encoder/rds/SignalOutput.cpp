#include "SignalOutput.h"

#include <algorithm>
#include <numbers>

#include "PcmFormat.h"

namespace orvane {
namespace {

// 104 bits at 1187.5 bit/s is 1664000/19 microseconds: group times are computed from the group
// number in whole numbers, so that they never drift however long the signal runs.
constexpr std::int64_t kGroupMicrosNumerator = 1'664'000;
constexpr std::int64_t kGroupMicrosDenominator = 19;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::uint64_t kHexLineBytes = 20;  // "PPPP BBBB CCCC DDDD\n"
// Input taken in one read at most: a few milliseconds of a sound card's samples.
constexpr std::size_t kInputChunk = 16 * 1024;
// A loop-through reads on while the card it plays to has no more than this waiting for it: a
// read's worth, so that what the console changes is on air a few tens of milliseconds later.
constexpr std::size_t kMaxAudioBacklog = kInputChunk;

int soonest(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

}  // namespace

SignalOutput::SignalOutput(const OnAirState& onAir, GroupScheduler scheduler, Settings settings,
                           Clocks clocks)
    : onAir_(onAir),
      scheduler_(std::move(scheduler)),
      settings_(settings),
      clocks_(std::move(clocks)),
      clockStart_(clocks_.monotonic()),
      unixStart_(clocks_.wall()),
      modulator_(settings.sampleRate, settings.rdsLevel),
      lastProgress_(clockStart_) {}

void SignalOutput::setGroupOutput(OutputStream stream) {
  groupStream_.emplace(std::move(stream));
}

void SignalOutput::setMpxOutput(OutputStream stream, bool wav) {
  mpxStream_.emplace(std::move(stream));
  wav_ = wav;
  // The largest sizes mean "until the end" to readers: right for a stream, and for a file until
  // close() writes the real ones, so that even a file cut short by a crash can be read.
  const PcmLayout layout = outputLayout();
  if (wav_) {
    mpxStream_->append(wavHeader(layout.sampleRate, kMaxWavDataBytes, layout.bitsPerSample));
  }
}

void SignalOutput::setMpxInput(InputStream input, PcmLayout layout, std::string start) {
  input_.emplace(std::move(input));
  loop_ = std::make_unique<LoopThrough>(layout, settings_.rdsLevel);
  inputBytes_ = std::move(start);
}

void SignalOutput::setCardInput(SoundCard::Settings card, PcmLayout layout) {
  capture_ = std::make_unique<SoundCard>(std::move(card), clocks_.monotonic,
                                         [this](const std::string& line) {
                                           if (report_) report_(line);
                                         });
  loop_ = std::make_unique<LoopThrough>(layout, settings_.rdsLevel);
}

void SignalOutput::setAudioOutput(SoundCard::Settings card) {
  playback_ = std::make_unique<SoundCard>(std::move(card), clocks_.monotonic,
                                          [this](const std::string& line) {
                                            if (report_) report_(line);
                                          });
}

PcmLayout SignalOutput::outputLayout() const {
  if (loop_) return loop_->layout();
  return {static_cast<std::uint32_t>(modulator_.sampleRate()), 16};
}

PollTask::Wait SignalOutput::wait() {
  Wait wait;
  for (OutputStream* stream : streams()) {
    if (stream->pending() > 0) wait.fds.push_back({stream->fd(), POLLOUT, 0});
  }
  waitForCards(wait);
  if (loop_ && mayTakeInput()) {
    if (input_) wait.fds.push_back({input_->fd(), POLLIN, 0});
  } else if (loop_) {
    if (complete() && drained()) wait.timeoutMs = 0;
  } else if (complete() ? drained() : mayMakeGroup()) {
    wait.timeoutMs = 0;
  } else if (!complete() && settings_.pacing == Pacing::Clock && pending() < kMaxPendingBytes) {
    const std::int64_t due = groupOffsetMicros(groupsMade_) - GroupScheduler::kGroupMicros;
    const std::int64_t micros =
        std::max<std::int64_t>(0, due - (clocks_.monotonic() - clockStart_));
    wait.timeoutMs = static_cast<int>((micros + 999) / 1000);
  }
  return wait;
}

// A card that is open is polled while it has something to take or give; one that is not, until
// it is tried again.
void SignalOutput::waitForCards(Wait& wait) const {
  if (playback_ && !playback_->open()) {
    wait.timeoutMs = soonest(wait.timeoutMs, playback_->retryTimeoutMs());
  } else if (playback_ && !audioBacklog_.empty()) {
    for (const pollfd& fd : playback_->pollFds()) wait.fds.push_back(fd);
  }
  if (capture_ && !capture_->open()) {
    wait.timeoutMs = soonest(wait.timeoutMs, capture_->retryTimeoutMs());
  } else if (capture_ && mayTakeInput()) {
    for (const pollfd& fd : capture_->pollFds()) wait.fds.push_back(fd);
  }
}

// Writing is tried whatever poll found: a stream that cannot take more says so itself.
// What a turn makes goes out in one write per output at its end, not one per group.
bool SignalOutput::service(std::span<const pollfd>) {
  skipGap();
  if (capture_) capture_->ready();
  playBacklog();
  if (loop_) return loopThrough();
  if (!flushAll()) return false;
  const int groups = mpxStream_ || playback_ ? kGroupsPerTurn : kGroupLinesPerTurn;
  for (int turn = 0; turn < groups && mayMakeGroup(); ++turn) {
    makeGroup();
    playBacklog();
  }
  return endTurn();
}

// The signal's own time runs on unbroken, so receivers see one continuous signal; only the
// clock it is paced by moves, to put the next group at the present.
void SignalOutput::skipGap() {
  const std::int64_t now = clocks_.monotonic();
  const std::int64_t idle = now - lastService_.value_or(now);
  lastService_ = now;
  if (settings_.pacing != Pacing::Clock || idle <= kGapMicros) return;
  const std::int64_t behind =
      now - clockStart_ - groupOffsetMicros(groupsMade_) + GroupScheduler::kGroupMicros;
  if (behind <= 0) return;
  clockStart_ += behind;
  ++stalls_;
  ++gaps_;
  lostMicros_ += behind;
  lastGapMicros_ = idle;
}

// The signal starts now, not when the outputs were opened: reading a command file in between
// must not leave a backlog that a clock-paced signal would then make in a burst.
bool SignalOutput::startAfresh() {
  clockStart_ = clocks_.monotonic();
  unixStart_ = clocks_.wall();
  lastService_ = clockStart_;
  for (OutputStream* stream : streams()) {
    if (!stream->startAfresh()) return false;
  }
  return true;
}

void SignalOutput::withdraw() {
  for (OutputStream* stream : streams()) stream->withdraw();
}

void SignalOutput::close() {
  if (closed_) return;
  closed_ = true;
  flushAll();
  completeFiles();
}

// Only what reached a file counts: after a failed write (a full disk) it ends wherever the
// writing stopped, and is cut back to its last whole record so that no reader takes a broken
// one for data.
void SignalOutput::completeFiles() {
  if (groupStream_ && groupStream_->seekable()) {
    groupStream_->truncate(groupStream_->written() - groupStream_->written() % kHexLineBytes);
  }
  if (!wav_ || !mpxStream_ || !mpxStream_->seekable()) return;
  const std::uint64_t written = mpxStream_->written();
  const PcmLayout layout = outputLayout();
  const auto width = static_cast<std::uint64_t>(layout.bytesPerSample());
  const std::uint64_t data =
      written < kWavHeaderSize ? 0 : (written - kWavHeaderSize) / width * width;
  if ((!mpxStream_->truncate(kWavHeaderSize + data) ||
       !mpxStream_->rewriteStart(wavHeader(layout.sampleRate, data, layout.bitsPerSample))) &&
      error_.empty()) {
    error_ = "não foi possível completar o cabeçalho WAV de " + mpxStream_->name();
  }
}

// A loop-through goes on while its input does, and is paced by it: a sound card, or the reader
// of a pipe at the other end.
bool SignalOutput::loopThrough() {
  if (!flushAll()) return false;
  const auto width = static_cast<std::size_t>(loop_->layout().bytesPerSample());
  for (int turn = 0; turn < kGroupsPerTurn && mayTakeInput(); ++turn) {
    const InputStream::Read read = readInput();
    if (read == InputStream::Read::Failed) {
      if (error_.empty()) error_ = input_->error();
      return false;
    }
    inputEnded_ = inputEnded_ || read == InputStream::Read::Ended;
    const auto room = static_cast<std::size_t>(*loopSampleLimit() - samplesMade_) * width;
    const std::size_t bytes = std::min(inputBytes_.size() / width * width, room);
    if (!mpxStream_) scratch_.resize(bytes);
    char* out = mpxStream_ ? mpxStream_->room(bytes) : scratch_.data();
    loop_->process(std::string_view(inputBytes_).substr(0, bytes), out,
                   [this] { return nextGroup(); });
    play(std::string_view(out, bytes), loop_->layout().bitsPerSample);
    if (mpxStream_) mpxStream_->commit(bytes);
    samplesMade_ += static_cast<std::int64_t>(bytes / width);
    inputBytes_.erase(0, bytes);
    reportLoopThrough();
    playBacklog();
    if (read != InputStream::Read::Some) break;
  }
  return endTurn();
}

InputStream::Read SignalOutput::readInput() {
  if (input_) return input_->readInto(inputBytes_, kInputChunk);
  if (!capture_->ready()) return InputStream::Read::Nothing;
  return capture_->readInto(inputBytes_, kInputChunk) > 0 ? InputStream::Read::Some
                                                          : InputStream::Read::Nothing;
}

// A card's input is read whatever becomes of its samples, or it would overrun; a file's waits for
// the card it is played to.
bool SignalOutput::mayTakeInput() const {
  if (complete() || pending() >= kMaxPendingBytes) return false;
  if (capture_ && !capture_->open()) return false;
  return !playback_ || capture_ || (playback_->open() && audioBacklog_.size() < kMaxAudioBacklog);
}

// The signal goes to the card in the card's format; while the card is away it is not kept, since
// it would be old by the time the card came back.
void SignalOutput::play(std::string_view samples, int bits) {
  if (!playback_ || !playback_->open()) return;
  const int cardBits = 8 * playback_->bytesPerFrame();
  appendWidened(audioBacklog_, samples, bits, cardBits);
}

void SignalOutput::playBacklog() {
  if (!playback_) return;
  if (playback_->ready() && !audioBacklog_.empty()) {
    audioBacklog_.erase(0, playback_->write(audioBacklog_));
  }
  if (!playback_->open()) audioBacklog_.clear();
}

// A turn ends with what it made written out; a finished signal closes its files once the last
// byte has gone.
bool SignalOutput::endTurn() {
  if (!flushAll()) return false;
  noteProgress();
  if (complete() && drained()) {
    close();
    return false;
  }
  return true;
}

void SignalOutput::reportLoopThrough() {
  if (!report_) return;
  const PilotLock& pilot = loop_->pilot();
  if (pilot.pilotPresent() != pilotReported_) {
    pilotReported_ = pilot.pilotPresent();
    report_(pilotReported_ ? "Piloto encontrado: o RDS segue o piloto da entrada"
                           : "Sem piloto na entrada: o RDS continua a 57 kHz por conta própria");
  }
  if (loop_->clipBursts() != clipBurstsReported_) {
    clipBurstsReported_ = loop_->clipBursts();
    report_("Corte: a entrada com o RDS passa do fundo de escala (" +
            std::to_string(loop_->clippedSamples()) + " amostras cortadas até agora)");
  }
}

// The samples a loop-through may make: as many as asked, and no more than a WAV can describe.
std::optional<std::int64_t> SignalOutput::loopSampleLimit() const {
  const auto width = static_cast<std::uint64_t>(loop_->layout().bytesPerSample());
  const auto wavSamples = static_cast<std::int64_t>(kMaxWavDataBytes / width);
  return std::min(settings_.samples.value_or(wavSamples), wavSamples);
}

bool SignalOutput::complete() const {
  if (loop_) {
    const auto width = static_cast<std::size_t>(loop_->layout().bytesPerSample());
    return samplesMade_ >= *loopSampleLimit() || (inputEnded_ && inputBytes_.size() < width);
  }
  const auto limit = groupLimit();
  return limit && groupsMade_ >= *limit;
}

// Never more than kMaxPendingBytes waiting, and on the clock never more than one group ahead of
// real time: enough that a reader polling now and then does not run dry.
bool SignalOutput::mayMakeGroup() const {
  if (complete() || pending() >= kMaxPendingBytes) return false;
  // A group at a time: the card's buffer holds the rest of the latency.
  if (playback_) return playback_->open() && audioBacklog_.empty();
  if (settings_.pacing == Pacing::AsFastAsWritten) return true;
  return groupOffsetMicros(groupsMade_) - GroupScheduler::kGroupMicros <=
         clocks_.monotonic() - clockStart_;
}

RdsGroup SignalOutput::nextGroup() {
  const GroupTime time = nextGroupTime();
  const RdsGroup group = scheduler_.next(onAir_, time);
  ++groupsMade_;
  if (watcher_) watcher_(group, time.signalMicros);
  if (groupStream_) {
    char* line = groupStream_->room(kHexLineBytes);
    writeHexLine(group, line);
    line[kHexLineLength] = '\n';
    groupStream_->commit(kHexLineBytes);
  }
  return group;
}

void SignalOutput::makeGroup() {
  const RdsGroup group = nextGroup();
  if (!mpxStream_ && !playback_) return;
  if (!mpxStream_) scratch_.resize(modulator_.maxBytesPerGroup());
  char* out = mpxStream_ ? mpxStream_->room(modulator_.maxBytesPerGroup()) : scratch_.data();
  // The last group of a signal cut short is made whole and only its first samples kept.
  auto count = static_cast<std::int64_t>(modulator_.modulate(group, out));
  if (settings_.samples) count = std::min(count, *settings_.samples - samplesMade_);
  if (wav_) {
    count = std::min(count, static_cast<std::int64_t>(kMaxWavDataBytes / 2) - samplesMade_);
  }
  play(std::string_view(out, static_cast<std::size_t>(count) * 2), 16);
  if (mpxStream_) mpxStream_->commit(static_cast<std::size_t>(count) * 2);
  samplesMade_ += count;
}

bool SignalOutput::flushAll() {
  for (OutputStream* stream : streams()) {
    if (!stream->flush()) {
      if (error_.empty()) error_ = stream->error();
      return false;
    }
  }
  return true;
}

std::size_t SignalOutput::pending() const {
  std::size_t most = 0;
  if (groupStream_) most = std::max(most, groupStream_->pending());
  if (mpxStream_) most = std::max(most, mpxStream_->pending());
  return most;
}

bool SignalOutput::drained() const {
  return pending() == 0 && audioBacklog_.empty();
}

std::int64_t SignalOutput::groupOffsetMicros(std::int64_t group) const {
  return group * kGroupMicrosNumerator / kGroupMicrosDenominator;
}

GroupTime SignalOutput::nextGroupTime() const {
  const std::int64_t signal = groupOffsetMicros(groupsMade_);
  if (settings_.timeOfDay == TimeOfDay::FromStart) return {signal, unixStart_ + signal};
  return {signal, clocks_.wall() + microsWaitingAhead()};
}

// A group made now goes out after everything already made and not yet taken: what waits here
// and what waits in the pipe or socket. The reader's own buffer is out of sight.
std::int64_t SignalOutput::microsWaitingAhead() const {
  std::int64_t micros = 0;
  if (groupStream_) {
    const auto lines = static_cast<std::int64_t>(
        (groupStream_->pending() + groupStream_->queued()) / kHexLineBytes);
    micros = groupOffsetMicros(lines);
  }
  if (mpxStream_) {
    const auto samples =
        static_cast<std::int64_t>((mpxStream_->pending() + mpxStream_->queued()) /
                                      static_cast<std::size_t>(outputLayout().bytesPerSample()) +
                                  (loop_ ? loop_->delaySamples() : modulator_.delaySamples()));
    micros = std::max(micros, samples * kMicrosPerSecond / outputLayout().sampleRate);
  }
  // On a card, what waits in its buffer and in the converter: ALSA's delay.
  if (playback_) {
    const auto samples =
        static_cast<std::int64_t>(audioBacklog_.size()) / playback_->bytesPerFrame() +
        playback_->delayFrames() + (loop_ ? loop_->delaySamples() : modulator_.delaySamples());
    micros = std::max(micros, samples * kMicrosPerSecond / outputLayout().sampleRate);
  }
  return micros;
}

// The signal ends after the group that holds its last sample; a WAV with no set length ends
// where the format's sizes run out.
std::optional<std::int64_t> SignalOutput::groupLimit() const {
  std::optional<std::int64_t> samples = settings_.samples;
  if (wav_) {
    const auto wavSamples = static_cast<std::int64_t>(kMaxWavDataBytes / 2);
    samples = std::min(samples.value_or(wavSamples), wavSamples);
  }
  if (!samples) return std::nullopt;
  return modulator_.groupsOfSamples(*samples);
}

// A stall is counted once when it begins, however long it lasts.
void SignalOutput::noteProgress() {
  std::uint64_t written = 0;
  for (OutputStream* stream : streams()) written += stream->written();
  const std::int64_t now = clocks_.monotonic();
  if (written != lastWritten_ || pending() == 0) {
    lastWritten_ = written;
    lastProgress_ = now;
    stalled_ = false;
  } else if (!stalled_ && now - lastProgress_ >= kStallMicros) {
    stalled_ = true;
    ++stalls_;
  }
}

SignalOutput::Health SignalOutput::health() const {
  Health health;
  if (groupStream_) health.outputs.push_back(groupStream_->name());
  if (mpxStream_) health.outputs.push_back(mpxStream_->name());
  if (playback_) health.outputs.push_back("alsa:" + playback_->settings().device);
  health.pendingBytes = pending();
  const std::int64_t now = clocks_.monotonic();
  health.stalled = stalled_;
  if (stalled_) health.stalledMicros = now - lastProgress_;
  health.stalls = stalls_;
  health.gaps = gaps_;
  health.lostMicros = lostMicros_;
  health.lastGapMicros = lastGapMicros_;
  if (capture_) health.cards.push_back(capture_->health());
  if (playback_) health.cards.push_back(playback_->health());
  if (loop_) {
    const PilotLock& pilot = loop_->pilot();
    health.loopThrough = Health::LoopThrough{
        pilot.pilotPresent(), pilot.locked(),
        pilot.pilotLevel(),   pilot.phaseErrorRadians() * 180 / std::numbers::pi,
        pilot.offsetPpm(),    loop_->clippedSamples(),
        loop_->clipBursts()};
  } else if (settings_.pacing == Pacing::Clock && !complete() && !playback_) {
    health.lagMicros = std::max<std::int64_t>(
        0, now - clockStart_ - groupOffsetMicros(groupsMade_) + GroupScheduler::kGroupMicros);
  }
  return health;
}

std::vector<OutputStream*> SignalOutput::streams() {
  std::vector<OutputStream*> out;
  if (groupStream_) out.push_back(&*groupStream_);
  if (mpxStream_) out.push_back(&*mpxStream_);
  return out;
}

}  // namespace orvane
