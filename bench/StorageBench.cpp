// The rotation looks an entry up in the radiotext list on the tick that reads a pair, and it
// reads the file from its first line every time. The worst case is a number that is not there:
// the whole file is read. It must stay well inside one tick, even for a very long list.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TextListFile.h"

namespace {

// A folder holding a list of `lines` entries numbered from 1, each with a full 64-byte text.
class ListFolder {
 public:
  explicit ListFolder(std::int64_t lines) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
    std::ofstream out(path_ / "RDSTXT.TXT", std::ios::binary);
    const std::string text =
        "Boa tarde, ouvintes: informa\xE7\xE3o de tr\xE2nsito a cada meia hora!!";
    for (std::int64_t n = 1; n <= lines; ++n) out << '[' << n << "][2]" << text << "\r\n";
  }
  ~ListFolder() { std::filesystem::remove_all(path_); }
  ListFolder(const ListFolder&) = delete;
  ListFolder& operator=(const ListFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

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
