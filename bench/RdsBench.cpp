// The encoder's output stage must keep far ahead of real time on one core: 60 s of multiplex in
// well under 0.3 s, and groups alone at 100,000 a second or more.
#include <benchmark/benchmark.h>

#include <string>

#include "GroupScheduler.h"
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

// The whole stage, scheduler to written samples, for a minute of signal into /dev/null.
void MultiplexSixtySeconds(benchmark::State& run) {
  const OnAirState state = busyStation();
  for (auto _ : run) {
    SignalOutput::Settings settings{Pacing::AsFastAsWritten, 60 * 228000, TimeOfDay::FromStart};
    SignalOutput output(state, scheduler(), settings,
                        {[] { return 0; }, [] { return 1'700'000'000'000'000; }});
    std::string error;
    output.setMpxOutput(std::move(*OutputStream::open("/dev/null", error)), false);
    while (output.service()) {
    }
    if (output.failed()) run.SkipWithError(output.error().c_str());
  }
  run.SetItemsProcessed(run.iterations() * 60 * 228000);
}
BENCHMARK(MultiplexSixtySeconds)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
