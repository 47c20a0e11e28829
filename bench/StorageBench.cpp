// The rotation looks an entry up in the radiotext list on the tick that reads a pair, and it
// reads the file from its first line every time. The worst case is a number that is not there:
// the whole file is read. It must stay well inside one tick, even for a very long list.
#include <benchmark/benchmark.h>

#include <string>

#include "ListFolder.h"
#include "TextListFile.h"

namespace {

void readListEntryNotFound(benchmark::State& state) {
  const ListFolder folder(state.range(0));
  for (auto _ : state) {
    std::string text;
    std::int32_t dwell = 0;
    // 0 is the first number the rotation asks for, and the list starts at 1.
    benchmark::DoNotOptimize(orvane::ReadListEntry(folder.path(), 0, text, dwell));
  }
}

}  // namespace

BENCHMARK(readListEntryNotFound)
    ->Arg(1'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
