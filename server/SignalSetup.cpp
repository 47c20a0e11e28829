#include "SignalSetup.h"

#include <time.h>

#include <chrono>
#include <cmath>

namespace orvane {
namespace {

std::int64_t unixMicrosNow() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t monotonicMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

Pacing pacingFor(const ServerOptions& options) {
  if (options.realtime) return Pacing::Clock;
  if (options.mpxPath == "-" || !options.servesConsole()) return Pacing::AsFastAsWritten;
  return Pacing::Clock;
}

}  // namespace

int systemLocalOffsetMinutes(std::int64_t unixSeconds) {
  const auto when = static_cast<time_t>(unixSeconds);
  struct tm local {};
  if (localtime_r(&when, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

std::unique_ptr<SignalOutput> openSignalOutput(const ServerOptions& options,
                                               const OnAirState& onAir, std::string& error) {
  if (!options.hasOutput()) return nullptr;
  SignalOutput::Settings settings;
  settings.pacing = pacingFor(options);
  settings.startUnixMicros = unixMicrosNow();
  if (options.seconds) {
    settings.samples = std::llround(*options.seconds * MpxModulator::kSampleRate);
  }
  GroupScheduler scheduler(options.programmeIdentification, systemLocalOffsetMinutes);
  scheduler.setAlternativeFrequencies(options.alternativeFrequencies);
  if (options.radiotextPlus) scheduler.setRadiotextPlus(*options.radiotextPlus);
  auto output =
      std::make_unique<SignalOutput>(onAir, std::move(scheduler), settings, monotonicMicros);
  if (!options.groupsPath.empty()) {
    auto stream = OutputStream::open(options.groupsPath, error);
    if (!stream) return nullptr;
    output->setGroupOutput(std::move(*stream));
  }
  if (!options.mpxPath.empty()) {
    auto stream = OutputStream::open(options.mpxPath, error);
    if (!stream) return nullptr;
    output->setMpxOutput(std::move(*stream), options.mpxPath != "-");
  }
  return output;
}

}  // namespace orvane
