#include <benchmark/benchmark.h>

#include "AirReadBack.h"
#include "GroupScheduler.h"
#include "StatusJson.h"

// What one answer of /status and one event cost: the snapshot as a busy station's would be
// (both radiotexts, RT+, a running name, 50 log lines, four targets), made into JSON.
namespace orvane {
namespace {

StatusSnapshot busyStation() {
  OnAirState state;
  state.programmeServiceName = "RADIO   ORVANE  LISBOA  ";
  state.radiotext = {"Rui Veloso - Porto Sentido", "Bom dia, Lisboa: 21 graus e sol"};
  state.clockTimeGroups = state.programmeItemGroups = true;
  GroupScheduler scheduler(
      0x8201, [](std::int64_t) { return 0; }, 0xE4);
  scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
  AirReadBack readBack;
  for (std::int64_t i = 0; i < 2000; ++i) {
    const std::int64_t at = 1709980190LL * 1'000'000 + i * GroupScheduler::kGroupMicros;
    readBack.take(scheduler.next(state, at), at);
  }
  StatusSnapshot status;
  status.air = readBack.view();
  status.signal = SignalOutput::Health{};
  status.signal->outputs = {"groups.txt", "mpx.wav"};
  status.signal->lagMicros = 0;
  for (int i = 0; i < 4; ++i) {
    status.targets.push_back(
        {"tcp:10.0.1." + std::to_string(i) + ":5000", i != 2, "", {}, {}, 0, 1});
  }
  for (int i = 0; i < 50; ++i) {
    status.recentLog.push_back(
        "2026-12-07 10:40:11  RTXT1 \"Rui Veloso - Porto Sentido\" (HTTP 10.0.0.5)");
  }
  return status;
}

void statusAsJson(benchmark::State& state) {
  const StatusSnapshot status = busyStation();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string json = statusJson(status);
    bytes = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(statusAsJson);

}  // namespace
}  // namespace orvane

BENCHMARK_MAIN();
