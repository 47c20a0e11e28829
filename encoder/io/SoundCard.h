#pragma once

#include <poll.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// A sound card through ALSA, one channel of little-endian samples, never blocking: its poll
// descriptors go on the server's own loop. The card's clock paces what goes through it.
//
// Underruns and overruns (xruns) are put right at once and counted, and reported once per burst;
// a card that goes away (a USB card unplugged, a device that never was) is closed and opened
// again later, at growing intervals, while everything else goes on.
class SoundCard {
 public:
  enum class Direction { Playback, Capture };
  enum class Format { S16, S32 };
  struct Settings {
    std::string device;  // an ALSA name: "default", "hw:1", "plughw:CARD=X", ...
    Direction direction = Direction::Playback;
    unsigned rate = 0;
    Format format = Format::S16;
    int latencyMs = 50;  // the card's buffer; a quarter of it is a period
  };

  // Xruns closer together than this are one burst.
  static constexpr std::int64_t kBurstGapMicros = 1'000'000;
  // A burst within this of the one before it means they repeat.
  static constexpr std::int64_t kRepeatMicros = 60'000'000;
  // Retries after a failure: the first soon, then twice as long each time, up to the last.
  static constexpr std::int64_t kFirstRetryMicros = 1'000'000;
  static constexpr std::int64_t kLastRetryMicros = 30'000'000;
  // The drift is shown once this much signal has been measured: below it, where the card's
  // pointer happens to be within a period would be most of the figure.
  static constexpr std::int64_t kDriftWindowMicros = 10'000'000;

  SoundCard(Settings settings, std::function<std::int64_t()> monotonicMicros,
            std::function<void(const std::string&)> report);
  ~SoundCard();
  SoundCard(const SoundCard&) = delete;
  SoundCard& operator=(const SoundCard&) = delete;

  // Opens the card when it is closed and its retry is due. True when it is open.
  bool ready();
  [[nodiscard]] bool open() const { return pcm_ != nullptr; }
  // What to poll while open; how long until the next try while closed.
  [[nodiscard]] std::vector<pollfd> pollFds() const;
  [[nodiscard]] int retryTimeoutMs() const;

  [[nodiscard]] int bytesPerFrame() const { return settings_.format == Format::S16 ? 2 : 4; }
  [[nodiscard]] const Settings& settings() const { return settings_; }

  // Playback: takes as many whole frames of `bytes` as the card has room for now.
  std::size_t write(std::string_view bytes);
  // Capture: appends what the card holds now, at most `most` bytes.
  std::size_t readInto(std::string& into, std::size_t most);
  // Frames between the application and the antenna side (playback) or the air side (capture).
  [[nodiscard]] std::int64_t delayFrames() const;

  struct Health {
    std::string device;
    bool open = false;
    std::string problem;  // why it is closed; empty while open
    std::uint64_t xruns = 0;
    std::uint64_t xrunBursts = 0;
    bool xrunsRepeating = false;
    std::uint64_t reopens = 0;
    std::int64_t delayMicros = 0;
    std::optional<double> driftPpm;  // the card's clock against the system's
  };
  [[nodiscard]] Health health() const;

 private:
  bool tryOpen();
  void fail(const std::string& problem);
  bool recover(long error);
  void noteXrun();
  void measure(std::int64_t frames);

  Settings settings_;
  std::function<std::int64_t()> monotonic_;
  std::function<void(const std::string&)> report_;
  void* pcm_ = nullptr;  // snd_pcm_t, kept out of this header
  std::string problem_;
  std::int64_t retryAt_ = 0;
  std::int64_t retryAfter_ = kFirstRetryMicros;
  bool everOpen_ = false;
  std::uint64_t reopens_ = 0;
  std::uint64_t xruns_ = 0;
  std::uint64_t bursts_ = 0;
  std::optional<std::int64_t> lastXrun_;
  std::optional<std::int64_t> burstBegan_;
  std::optional<std::int64_t> burstBefore_;
  // The drift: frames through the card's clock since a first look while it ran, against the
  // system's time since; begun again after an xrun or a reopening, which lose frames.
  struct ClockMark {
    std::int64_t micros = 0;
    std::int64_t frames = 0;
  };
  std::int64_t transferred_ = 0;  // frames written or read since opened
  std::optional<ClockMark> firstMark_;
  ClockMark lastMark_;
};

}  // namespace orvane
