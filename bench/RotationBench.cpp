// The tick that reads a pair looks up two entries in the radiotext list file, each time reading
// it from its first line. With a very long list and the wanted numbers at its end, that tick must
// still finish well inside its second.
#include <benchmark/benchmark.h>

#include <string>

#include "ConsoleCore.h"
#include "ListFolder.h"
#include "NullConsoleWindow.h"
#include "RadiotextListFile.h"

namespace {

class NullLink : public orvane::EncoderLink {
 public:
  bool create() override { return true; }
  bool connect(const std::string&, unsigned) override { return true; }
  long send(const char*, std::size_t length) override { return static_cast<long>(length); }
  long receive(char*, std::size_t) override { return -1; }
  void close() override {}
  void setReceivePaused(bool) override {}
};

void dueTickAtTheEndOfTheList(benchmark::State& state) {
  const auto entries = static_cast<int>(state.range(0));
  const ListFolder folder(entries);
  orvane::test::NullConsoleWindow window;
  NullLink link;
  orvane::RadiotextListFile list(folder.path());
  orvane::ConsoleCore core(window, link, list);
  for (auto _ : state) {
    state.PauseTiming();
    orvane::ConsoleState& console = core.state();
    console.autoRotate = 1;
    console.rotateTicks = 0;
    console.rotateDwell = 0;
    console.rotateIndex = entries - 1;
    console.busy = 0;
    console.sendQueue.clear();
    state.ResumeTiming();
    core.tick().onTick();
  }
}

}  // namespace

BENCHMARK(dueTickAtTheEndOfTheList)
    ->Arg(1'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
