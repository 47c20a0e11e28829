// The encoder's output stage must keep far ahead of real time on one core: 60 s of multiplex in
// well under 0.3 s, and groups alone at 100,000 a second or more.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "GroupScheduler.h"
#include "LoopThrough.h"
#include "MpxModulator.h"
#include "OutputStream.h"
#include "SignalOutput.h"

namespace {

using namespace orvane;

OnAirState busyStation() {
  OnAirState state;
  state.programmeServiceName =
      "R\xC1"
      "DIO ORVANE LISBOA";
  state.radiotext = {"Madredeus - " + std::string(52, 'a'), "Tr\xE2nsito sem filas"};
  state.programmeItemGroups = state.clockTimeGroups = state.timeInServiceName = true;
  return state;
}

// The busiest mix: every group type the encoder makes.
GroupScheduler scheduler() {
  GroupScheduler groups(0x8201, [](std::int64_t) { return 60; });
  groups.setRadiotextPlus(RtPlusFormat::ArtistTitle);
  return groups;
}

// What --groups does for each group: choose, build, format.
void GroupsAsText(benchmark::State& run) {
  const OnAirState state = busyStation();
  GroupScheduler groups = scheduler();
  std::int64_t k = 0;
  for (auto _ : run) {
    std::string line = hexLine(groups.next(state, 1'700'000'000'000'000 + k * 1'664'000 / 19));
    benchmark::DoNotOptimize(line);
    ++k;
  }
  run.SetItemsProcessed(run.iterations());
}
BENCHMARK(GroupsAsText);

constexpr std::int64_t kMinuteSamples = 60 * 228000;
const int kMinuteGroups = static_cast<int>(MpxModulator().groupsOfSamples(kMinuteSamples));
// A sound card's rate, where the bit clock is no whole number of samples.
constexpr int kCardRate = 192000;
constexpr std::int64_t kCardMinuteSamples = 60 * kCardRate;
constexpr std::size_t kIdealBuffer = 64 * 1024;
constexpr std::int64_t kUnixStart = 1'700'000'000'000'000;

// The whole stage, scheduler to written output, for `minutes` of signal into /dev/null.
void runStage(benchmark::State& run, bool multiplex, int minutes,
              int rate = MpxModulator::kDefaultSampleRate) {
  const OnAirState state = busyStation();
  for (auto _ : run) {
    SignalOutput::Settings settings{Pacing::AsFastAsWritten, std::int64_t{minutes} * 60 * rate,
                                    TimeOfDay::FromStart, rate};
    SignalOutput output(state, scheduler(), settings,
                        {[] { return 0; }, [] { return kUnixStart; }});
    std::string error;
    auto devNull = std::move(*OutputStream::open("/dev/null", error));
    multiplex ? output.setMpxOutput(std::move(devNull), false)
              : output.setGroupOutput(std::move(devNull));
    while (output.service()) {
    }
    if (output.failed()) run.SkipWithError(output.error().c_str());
  }
}

// What no output stage can beat: the same groups from the same scheduler, each made straight into
// one 64 KiB buffer that is written whenever it is full.
void runIdeal(benchmark::State& run, bool multiplex, int minutes,
              int rate = MpxModulator::kDefaultSampleRate) {
  const OnAirState state = busyStation();
  const int fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  std::vector<char> buffer(kIdealBuffer + MpxModulator(rate).maxBytesPerGroup());
  const std::int64_t groupCount =
      MpxModulator(rate).groupsOfSamples(std::int64_t{minutes} * 60 * rate);
  for (auto _ : run) {
    GroupScheduler groups = scheduler();
    MpxModulator modulator(rate);
    std::size_t used = 0;
    for (std::int64_t k = 0; k < groupCount; ++k) {
      const RdsGroup group = groups.next(state, kUnixStart + k * 1'664'000 / 19);
      if (multiplex) {
        used += 2 * modulator.modulate(group, buffer.data() + used);
      } else {
        writeHexLine(group, buffer.data() + used);
        buffer[used + kHexLineLength] = '\n';
        used += kHexLineLength + 1;
      }
      if (used >= kIdealBuffer) {
        benchmark::DoNotOptimize(write(fd, buffer.data(), used));
        used = 0;
      }
    }
    benchmark::DoNotOptimize(write(fd, buffer.data(), used));
  }
  close(fd);
}

// A minute of multiplex, and ten of group lines: the stage against its ideal (bench/ratios.sh).
void MultiplexSixtySeconds(benchmark::State& run) {
  runStage(run, true, 1);
  run.SetItemsProcessed(run.iterations() * kMinuteSamples);
}
BENCHMARK(MultiplexSixtySeconds)->Unit(benchmark::kMillisecond);

void MultiplexSixtySecondsIdeal(benchmark::State& run) {
  runIdeal(run, true, 1);
  run.SetItemsProcessed(run.iterations() * kMinuteSamples);
}
BENCHMARK(MultiplexSixtySecondsIdeal)->Unit(benchmark::kMillisecond);

void GroupLinesTenMinutes(benchmark::State& run) {
  runStage(run, false, 10);
  run.SetItemsProcessed(run.iterations() * 10 * kMinuteGroups);
}
BENCHMARK(GroupLinesTenMinutes)->Unit(benchmark::kMillisecond);

void GroupLinesTenMinutesIdeal(benchmark::State& run) {
  runIdeal(run, false, 10);
  run.SetItemsProcessed(run.iterations() * 10 * kMinuteGroups);
}
BENCHMARK(GroupLinesTenMinutesIdeal)->Unit(benchmark::kMillisecond);

// A minute at a sound card's rate: made here, and a station's multiplex with RDS added, locked to
// its pilot, against the same ideal. CPU per second of signal is the time over 60.
void MultiplexSixtySecondsAt192k(benchmark::State& run) {
  runStage(run, true, 1, kCardRate);
  run.SetItemsProcessed(run.iterations() * kCardMinuteSamples);
}
BENCHMARK(MultiplexSixtySecondsAt192k)->Unit(benchmark::kMillisecond);

void MultiplexSixtySecondsAt192kIdeal(benchmark::State& run) {
  runIdeal(run, true, 1, kCardRate);
  run.SetItemsProcessed(run.iterations() * kCardMinuteSamples);
}
BENCHMARK(MultiplexSixtySecondsAt192kIdeal)->Unit(benchmark::kMillisecond);

// A second of stereo multiplex with its pilot, looped through sixty times: the lock's work is the
// same whatever the programme.
std::string stationSecond() {
  std::string bytes;
  for (int n = 0; n < kCardRate; ++n) {
    const double angle = 2 * std::numbers::pi * 19000 * n / kCardRate;
    const auto value = static_cast<std::int16_t>(
        std::lround(32767 * (0.09 * std::sin(angle) + 0.3 * std::sin(angle / 19))));
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
  }
  return bytes;
}

void LoopThroughSixtySecondsAt192k(benchmark::State& run) {
  const OnAirState state = busyStation();
  const std::string second = stationSecond();
  std::vector<char> out(second.size());
  for (auto _ : run) {
    GroupScheduler groups = scheduler();
    LoopThrough loop({kCardRate, 16}, MpxModulator::kDefaultRdsLevel);
    std::int64_t k = 0;
    for (int s = 0; s < 60; ++s) {
      loop.process(second, out.data(),
                   [&] { return groups.next(state, kUnixStart + k++ * 1'664'000 / 19); });
      benchmark::DoNotOptimize(out.data());
    }
  }
  run.SetItemsProcessed(run.iterations() * kCardMinuteSamples);
}
BENCHMARK(LoopThroughSixtySecondsAt192k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
