#include "SignalSetup.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <utility>
#include <vector>

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

Pacing pacingFor(const ServerOptions& options) {
  if (options.realtime) return Pacing::Clock;
  if (pacedByReader(options) || !options.servesConsole()) return Pacing::AsFastAsWritten;
  return Pacing::Clock;
}

SignalOutput::Settings settingsFor(const ServerOptions& options) {
  SignalOutput::Settings settings;
  settings.pacing = pacingFor(options);
  settings.timeOfDay = settings.pacing == Pacing::Clock || pacedByReader(options)
                           ? TimeOfDay::Live
                           : TimeOfDay::FromStart;
  settings.sampleRate = options.signal.rate.value_or(MpxModulator::kDefaultSampleRate);
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

GroupScheduler schedulerFor(const ServerOptions& options) {
  GroupScheduler scheduler(options.programmeIdentification, systemLocalOffsetMinutes,
                           options.extendedCountryCode);
  scheduler.setAlternativeFrequencies(options.alternativeFrequencies);
  if (options.radiotextPlus) scheduler.setRadiotextPlus(*options.radiotextPlus);
  return scheduler;
}

}  // namespace

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
  const SignalOutput::Settings settings = settingsFor(options);
  if (!options.servesConsole() && options.writesToStandardOutput() && !options.seconds &&
      !options.realtime && isRegularFile(STDOUT_FILENO)) {
    failure = {OutputFailure::Kind::Refused,
               "com --commands, um ficheiro de saída precisa de --seconds"};
    return nullptr;
  }
  auto output = std::make_unique<SignalOutput>(onAir, schedulerFor(options), settings,
                                               SignalOutput::Clocks{monotonicMicros, unixMicros});
  std::vector<std::pair<std::string, int>> writers{{"o registo", logFd}};
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
  if (auto shared = sharedFile(writers)) {
    failure = {OutputFailure::Kind::Refused, *shared};
    output->withdraw();
    return nullptr;
  }
  return output;
}

}  // namespace orvane
