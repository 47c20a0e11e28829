#include "SignalSetup.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <utility>
#include <vector>

#include "InputStream.h"
#include "PcmFormat.h"
#include "SystemClock.h"

namespace orvane {
namespace {

bool isRegularFile(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool sameRegularFile(int a, int b) {
  struct stat first {
  }, second{};
  return fstat(a, &first) == 0 && fstat(b, &second) == 0 && S_ISREG(first.st_mode) &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool stopRequested(int stopFd) {
  pollfd stop{stopFd, POLLIN, 0};
  return poll(&stop, 1, 0) > 0;
}

// Raw samples on a pipe or socket go at the reader's pace; on a file, which takes anything at
// once, that would fill the disk in seconds.
bool pacedByReader(const ServerOptions& options) {
  return options.mpxPath == "-" && !isRegularFile(STDOUT_FILENO);
}

// A sound card's clock paces whatever goes through it.
bool pacedByCard(const ServerOptions& options) {
  return !options.signal.audio.empty() || options.signal.capturesFromCard();
}

Pacing pacingFor(const ServerOptions& options) {
  if (pacedByCard(options)) return Pacing::AsFastAsWritten;
  if (options.realtime) return Pacing::Clock;
  if (pacedByReader(options) || !options.servesConsole()) return Pacing::AsFastAsWritten;
  return Pacing::Clock;
}

SignalOutput::Settings settingsFor(const ServerOptions& options, int sampleRate) {
  SignalOutput::Settings settings;
  settings.pacing = pacingFor(options);
  settings.timeOfDay =
      settings.pacing == Pacing::Clock || pacedByReader(options) || pacedByCard(options)
          ? TimeOfDay::Live
          : TimeOfDay::FromStart;
  settings.sampleRate = sampleRate;
  settings.rdsLevel = options.signal.rdsLevel;
  if (options.seconds) settings.samples = std::llround(*options.seconds * settings.sampleRate);
  return settings;
}

// The same file named twice (through "./", a link, or standard output redirected to it) would
// have its writers overwrite each other while the run reports success.
std::optional<std::string> sharedFile(const std::vector<std::pair<std::string, int>>& writers) {
  for (std::size_t i = 0; i < writers.size(); ++i) {
    for (std::size_t j = i + 1; j < writers.size(); ++j) {
      if (sameRegularFile(writers[i].second, writers[j].second)) {
        return writers[i].first + " e " + writers[j].first +
               " não podem escrever no mesmo ficheiro";
      }
    }
  }
  return std::nullopt;
}

// A header longer than this is no multiplex we can take.
constexpr std::size_t kMaxWavHeader = 64 * 1024;
constexpr std::size_t kHeaderRead = 4096;

// The station's multiplex: its layout, and what was read of its samples with the header.
struct LoopInput {
  InputStream stream;
  WavStart start;
  std::string samples;
};

// The card's samples: 16 bits, or 32 when asked, and at least as wide as what is played on it.
SoundCard::Settings cardSettings(const SignalOptions& options, std::string device,
                                 SoundCard::Direction direction, int rate, int bits) {
  const bool wide = options.audioFormat == SoundCard::Format::S32 || bits > 16;
  return {std::move(device), direction, static_cast<unsigned>(rate),
          wide ? SoundCard::Format::S32 : SoundCard::Format::S16, options.audioLatencyMs};
}

std::optional<LoopInput> openLoopInput(const SignalOptions& options, std::string& error) {
  auto stream = InputStream::open(options.mpxIn, error);
  if (!stream) return std::nullopt;
  if (options.mpxIn == "-") {
    return LoopInput{std::move(*stream),
                     {{static_cast<std::uint32_t>(options.mpxInRate.value_or(0)), 16}, 0},
                     ""};
  }
  std::string bytes;
  std::optional<WavStart> start;
  while (!start && error.empty() && bytes.size() < kMaxWavHeader) {
    const bool more = stream->readAtLeast(bytes, bytes.size() + kHeaderRead);
    start = parseWavStart(bytes, error);
    if (!start && error.empty() && !more) error = "o WAV acaba antes das amostras";
  }
  if (!start && error.empty()) error = "o cabeçalho do WAV é demasiado longo";
  const auto rate = start ? start->layout.sampleRate : 0;
  if (start && (rate < MpxModulator::kMinSampleRate || rate > MpxModulator::kMaxSampleRate)) {
    error = "um multiplex precisa de 128000 a 768000 amostras/s, não " + std::to_string(rate);
  }
  if (!error.empty()) {
    error = options.mpxIn + ": " + error;
    return std::nullopt;
  }
  return LoopInput{std::move(*stream), *start, bytes.substr(start->dataOffset)};
}

GroupScheduler schedulerFor(const ServerOptions& options) {
  GroupScheduler scheduler(options.programmeIdentification, systemLocalOffsetMinutes);
  setStation(scheduler, options);
  scheduler.setOtherNetworks(options.otherNetworks);
  if (options.radiotextPlus) scheduler.setRadiotextPlus(*options.radiotextPlus);
  if (options.groupSequence) scheduler.setSequence(*options.groupSequence);
  return scheduler;
}

}  // namespace

void setStation(GroupScheduler& scheduler, const ServerOptions& options) {
  scheduler.setProgrammeIdentification(options.programmeIdentification);
  scheduler.setCountryCode(options.extendedCountryCode);
  scheduler.setAlternativeFrequencies(options.alternativeFrequencies);
  scheduler.setTrafficServiceName(options.trafficServiceName);
}

int OutputFailure::exitCode() const {
  switch (kind) {
    case Kind::Stopped:
      return 0;
    case Kind::Refused:
      return 2;
    case Kind::Failed:
      break;
  }
  return 1;
}

std::unique_ptr<SignalOutput> openUnwrittenSignal(const ServerOptions& options,
                                                  const OnAirState& onAir) {
  return std::make_unique<SignalOutput>(onAir, schedulerFor(options), SignalOutput::Settings{},
                                        SignalOutput::Clocks{monotonicMicros, unixMicros});
}

std::unique_ptr<SignalOutput> openSignalOutput(const ServerOptions& options,
                                               const OnAirState& onAir, int stopFd, int logFd,
                                               OutputFailure& failure) {
  if (!options.hasOutput()) return nullptr;
  std::optional<LoopInput> input;
  std::optional<SoundCard::Settings> capture;
  if (options.signal.capturesFromCard()) {
    capture =
        cardSettings(options.signal, options.signal.captureDevice(), SoundCard::Direction::Capture,
                     options.signal.mpxInRate.value_or(SignalOptions::kDefaultCardRate), 16);
  } else if (options.signal.loopsThrough()) {
    std::string error;
    input = openLoopInput(options.signal, error);
    if (!input) {
      failure = {OutputFailure::Kind::Failed, error};
      return nullptr;
    }
  }
  const int defaultRate = options.signal.audio.empty() ? MpxModulator::kDefaultSampleRate
                                                       : SignalOptions::kDefaultCardRate;
  int rate = options.signal.rate.value_or(defaultRate);
  if (input) rate = static_cast<int>(input->start.layout.sampleRate);
  if (capture) rate = static_cast<int>(capture->rate);
  const SignalOutput::Settings settings = settingsFor(options, rate);
  if (!options.servesConsole() && options.writesToStandardOutput() && !options.seconds &&
      !options.realtime && isRegularFile(STDOUT_FILENO)) {
    failure = {OutputFailure::Kind::Refused,
               "com --commands, um ficheiro de saída precisa de --seconds"};
    return nullptr;
  }
  auto output = std::make_unique<SignalOutput>(onAir, schedulerFor(options), settings,
                                               SignalOutput::Clocks{monotonicMicros, unixMicros});
  std::vector<std::pair<std::string, int>> writers{{"o registo", logFd}};
  const int inputFd = input ? input->stream.fd() : -1;
  int bits = 16;
  if (input) {
    bits = input->start.layout.bitsPerSample;
    output->setMpxInput(std::move(input->stream), input->start.layout, std::move(input->samples));
  }
  if (capture) {
    bits = capture->format == SoundCard::Format::S16 ? 16 : 32;
    output->setCardInput(*capture, {capture->rate, bits});
  }
  if (!options.signal.audio.empty()) {
    output->setAudioOutput(cardSettings(options.signal, options.signal.audio,
                                        SoundCard::Direction::Playback, rate, bits));
  }
  for (const auto& [option, path] :
       {std::pair{"--groups", &options.groupsPath}, std::pair{"--mpx", &options.mpxPath}}) {
    if (path->empty()) continue;
    std::string error;
    auto stream = OutputStream::open(*path, error, stopFd);
    if (!stream) {
      failure = {stopRequested(stopFd) ? OutputFailure::Kind::Stopped : OutputFailure::Kind::Failed,
                 error};
      output->withdraw();
      return nullptr;
    }
    writers.emplace_back(option, stream->fd());
    if (path == &options.groupsPath) {
      output->setGroupOutput(std::move(*stream));
    } else {
      output->setMpxOutput(std::move(*stream), *path != "-");
    }
  }
  // Emptied at the start, the input would loop through nothing; read as it is written, its own.
  if (inputFd >= 0 && !options.mpxPath.empty() && sameRegularFile(inputFd, writers.back().second)) {
    failure = {OutputFailure::Kind::Refused, "--mpx-in e --mpx não podem ser o mesmo ficheiro"};
    output->withdraw();
    return nullptr;
  }
  if (auto shared = sharedFile(writers)) {
    failure = {OutputFailure::Kind::Refused, *shared};
    output->withdraw();
    return nullptr;
  }
  return output;
}

}  // namespace orvane
