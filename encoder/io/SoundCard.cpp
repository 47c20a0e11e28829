#include "SoundCard.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>

namespace orvane {
namespace {

constexpr int kMicrosPerMilli = 1000;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::size_t kReadChunkFrames = 4096;

snd_pcm_t* handle(void* pcm) {
  return static_cast<snd_pcm_t*>(pcm);
}

// ALSA's own messages would go to standard error on every retry; the log says it once.
void quiet(const char*, int, const char*, int, const char*, ...) {}

std::string direction(SoundCard::Direction direction) {
  return direction == SoundCard::Direction::Playback ? "saída" : "entrada";
}

}  // namespace

SoundCard::SoundCard(Settings settings, std::function<std::int64_t()> monotonicMicros,
                     std::function<void(const std::string&)> report)
    : settings_(std::move(settings)),
      monotonic_(std::move(monotonicMicros)),
      report_(std::move(report)) {
  retryAt_ = monotonic_();
}

SoundCard::~SoundCard() {
  if (pcm_) snd_pcm_close(handle(pcm_));
}

bool SoundCard::ready() {
  if (!pcm_ && monotonic_() >= retryAt_) tryOpen();
  return pcm_ != nullptr;
}

// The card's own rate and no resampling: a multiplex resampled by ALSA would no longer be the
// programme the processor made.
bool SoundCard::tryOpen() {
  snd_lib_error_set_handler(quiet);
  snd_pcm_t* pcm = nullptr;
  const bool playback = settings_.direction == Direction::Playback;
  int result =
      snd_pcm_open(&pcm, settings_.device.c_str(),
                   playback ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
  if (result == 0) {
    result = snd_pcm_set_params(
        pcm, settings_.format == Format::S16 ? SND_PCM_FORMAT_S16_LE : SND_PCM_FORMAT_S32_LE,
        SND_PCM_ACCESS_RW_INTERLEAVED, 1, settings_.rate, 0,
        static_cast<unsigned>(settings_.latencyMs * kMicrosPerMilli));
    // A capture waits for no fill level: it is started, so that its descriptors wake the loop.
    if (result == 0 && !playback) result = snd_pcm_start(pcm);
    if (result != 0) snd_pcm_close(pcm);
  }
  if (result != 0) {
    fail(snd_strerror(result));
    return false;
  }
  pcm_ = pcm;
  const bool wasMissing = !problem_.empty();
  problem_.clear();
  retryAfter_ = kFirstRetryMicros;
  transferred_ = 0;
  firstMark_.reset();
  if (everOpen_) ++reopens_;
  if (wasMissing) {
    report_("Placa de som " + settings_.device + " (" + direction(settings_.direction) +
            ") de volta");
  }
  everOpen_ = true;
  return true;
}

void SoundCard::fail(const std::string& problem) {
  if (pcm_) snd_pcm_close(handle(pcm_));
  pcm_ = nullptr;
  if (problem != problem_) {
    report_("Placa de som " + settings_.device + " (" + direction(settings_.direction) +
            ") em falta: " + problem + "; o codificador continua e tenta de novo");
  }
  problem_ = problem;
  retryAt_ = monotonic_() + retryAfter_;
  retryAfter_ = std::min(2 * retryAfter_, kLastRetryMicros);
}

std::vector<pollfd> SoundCard::pollFds() const {
  if (!pcm_) return {};
  const int count = snd_pcm_poll_descriptors_count(handle(pcm_));
  std::vector<pollfd> fds(static_cast<std::size_t>(std::max(count, 0)));
  const int filled = snd_pcm_poll_descriptors(handle(pcm_), fds.data(), fds.size());
  fds.resize(static_cast<std::size_t>(std::max(filled, 0)));
  return fds;
}

int SoundCard::retryTimeoutMs() const {
  if (pcm_) return -1;
  const std::int64_t micros = std::max<std::int64_t>(0, retryAt_ - monotonic_());
  return static_cast<int>((micros + kMicrosPerMilli - 1) / kMicrosPerMilli);
}

std::size_t SoundCard::write(std::string_view bytes) {
  const auto width = static_cast<std::size_t>(bytesPerFrame());
  if (!pcm_ || bytes.size() < width) return 0;
  const snd_pcm_sframes_t frames = snd_pcm_writei(handle(pcm_), bytes.data(), bytes.size() / width);
  if (frames < 0) {
    recover(frames);
    return 0;
  }
  measure(frames);
  return static_cast<std::size_t>(frames) * width;
}

std::size_t SoundCard::readInto(std::string& into, std::size_t most) {
  const auto width = static_cast<std::size_t>(bytesPerFrame());
  const std::size_t wanted = std::min(most / width, kReadChunkFrames);
  if (!pcm_ || wanted == 0) return 0;
  const std::size_t before = into.size();
  into.resize(before + wanted * width);
  const snd_pcm_sframes_t frames = snd_pcm_readi(handle(pcm_), into.data() + before, wanted);
  into.resize(before + static_cast<std::size_t>(std::max<snd_pcm_sframes_t>(frames, 0)) * width);
  if (frames < 0) {
    recover(frames);
    return 0;
  }
  measure(frames);
  return static_cast<std::size_t>(frames) * width;
}

// An xrun or a suspension is put right where it happened; anything else, or a card that cannot
// be put right, is a card gone.
bool SoundCard::recover(long error) {
  if (error == -EAGAIN) return true;
  if (error == -EPIPE || error == -ESTRPIPE) {
    noteXrun();
    int result = snd_pcm_recover(handle(pcm_), static_cast<int>(error), 1);
    if (result == 0 && settings_.direction == Direction::Capture) {
      result = snd_pcm_start(handle(pcm_));
    }
    if (result == 0) return true;
    error = result;
  }
  fail(snd_strerror(static_cast<int>(error)));
  return false;
}

void SoundCard::noteXrun() {
  const std::int64_t now = monotonic_();
  ++xruns_;
  firstMark_.reset();
  if (!lastXrun_ || now - *lastXrun_ > kBurstGapMicros) {
    ++bursts_;
    burstBefore_ = burstBegan_;
    burstBegan_ = now;
    report_("Falha de amostras na placa de som " + settings_.device + " (" +
            direction(settings_.direction) + "): " + std::to_string(xruns_) + " até agora");
  }
  lastXrun_ = now;
}

std::int64_t SoundCard::delayFrames() const {
  snd_pcm_sframes_t delay = 0;
  if (!pcm_ || snd_pcm_delay(handle(pcm_), &delay) != 0) return 0;
  return std::max<snd_pcm_sframes_t>(delay, 0);
}

// What has passed the card's converter: written less what waits, or read plus what waits.
void SoundCard::measure(std::int64_t frames) {
  transferred_ += frames;
  if (snd_pcm_state(handle(pcm_)) != SND_PCM_STATE_RUNNING) return;
  const std::int64_t delay = delayFrames();
  const bool playback = settings_.direction == Direction::Playback;
  lastMark_ = {monotonic_(), playback ? transferred_ - delay : transferred_ + delay};
  if (!firstMark_) firstMark_ = lastMark_;
}

SoundCard::Health SoundCard::health() const {
  Health health;
  health.device = settings_.device;
  health.open = pcm_ != nullptr;
  health.problem = problem_;
  health.xruns = xruns_;
  health.xrunBursts = bursts_;
  health.reopens = reopens_;
  const std::int64_t now = monotonic_();
  health.xrunsRepeating = burstBefore_ && burstBegan_ &&
                          *burstBegan_ - *burstBefore_ <= kRepeatMicros &&
                          now - *burstBegan_ <= kRepeatMicros;
  health.delayMicros = delayFrames() * kMicrosPerSecond / settings_.rate;
  if (firstMark_ && lastMark_.micros - firstMark_->micros >= kDriftWindowMicros) {
    const double seconds =
        static_cast<double>(lastMark_.micros - firstMark_->micros) / kMicrosPerSecond;
    const double cardSeconds =
        static_cast<double>(lastMark_.frames - firstMark_->frames) / settings_.rate;
    health.driftPpm = (cardSeconds / seconds - 1) * 1e6;
  }
  return health;
}

}  // namespace orvane
