// The memory a saved query of very many words costs, as a user meets it: `skarnvel-cli rowset
// FILE tables` (which tells each query a view or a procedure) on a text database holding one
// query of 2,000,000 words (about 20 MB), against the same command on the same query cut to
// 200,000 words (about 2 MB), each a process. Figures: each process's peak memory per MB of
// its file, and the ratio of the large file's to the small one's (1.0 or less: the memory
// follows the file's size); the same again above the floor, the peak of the command on a
// database without the query.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "bench/generated_files.h"
#include "bench/spawn_process.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLargeWords = 2'000'000;
constexpr int kSmallWords = kLargeWords / 10;

// A text database of one table and, unless `words` is 0, one saved query selecting `words`
// columns of ten bytes each ("w0000001, "), written as the text storage writes it.
std::string Script(int words) {
  std::string script =
      "-- Skarnvel text database 2\n\n-- Tables\nCREATE TABLE [T] (\n  [w0000001] Long\n);\n\n";
  if (words > 0) {
    script.reserve(script.size() + static_cast<size_t>(words) * 10 + 200);
    script += "-- Queries\nCREATE QUERYDEF [Many] AS 'SELECT ";
    char word[16];
    for (int w = 1; w <= words; ++w) {
      std::snprintf(word, sizeof word, w < words ? "w%07d, " : "w%07d", w);
      script += word;
    }
    script += " FROM [T]';\n\n";
  }
  script += "-- End of Skarnvel text database\n";
  return script;
}

bench::GeneratedFiles& Files() {
  static bench::GeneratedFiles files("skarnvel-query-bench", "query", ".skdb",
                                     [](const std::string& path, int words) {
                                       std::ofstream(path, std::ios::binary) << Script(words);
                                     });
  return files;
}

struct Figures {
  double file_mb = 0;
  double peak_mb = 0;
};

std::map<int, Figures>& Measured() {
  static std::map<int, Figures> measured;
  return measured;
}

void BM_RowsetTablesPeakMemory(benchmark::State& state) {
  const int words = static_cast<int>(state.range(0));
  const std::string& file = Files().Path(words);
  long peak = 0;
  for (auto _ : state) {
    const long bytes = bench::SpawnPeakMemory({SKARNVEL_CLI, "rowset", file, "tables"});
    if (bytes < 0) {
      state.SkipWithError("skarnvel-cli rowset failed");
      return;
    }
    peak = std::max(peak, bytes);
  }
  Figures& f = Measured()[words];
  f.file_mb = static_cast<double>(fs::file_size(file)) / 1e6;
  f.peak_mb = static_cast<double>(peak) / 1e6;
  state.counters["file_MB"] = f.file_mb;
  state.counters["peak_MB"] = f.peak_mb;
  if (words > 0) state.counters["peak_per_file_MB"] = f.peak_mb / f.file_mb;
}
BENCHMARK(BM_RowsetTablesPeakMemory)
    ->Arg(0)
    ->Arg(kSmallWords)
    ->Arg(kLargeWords)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void PrintRatios() {
  const auto& m = Measured();
  if (!m.count(0) || !m.count(kSmallWords) || !m.count(kLargeWords)) return;
  const Figures floor = m.at(0), small = m.at(kSmallWords), large = m.at(kLargeWords);
  const double per_mb_small = small.peak_mb / small.file_mb;
  const double per_mb_large = large.peak_mb / large.file_mb;
  const double above_small = (small.peak_mb - floor.peak_mb) / small.file_mb;
  const double above_large = (large.peak_mb - floor.peak_mb) / large.file_mb;
  std::printf("\nPeak memory of skarnvel-cli rowset FILE tables per MB of FILE (same run):\n");
  std::printf("  %d words (%.1f MB): %.1f MB peak, %.2f MB per MB\n", kSmallWords, small.file_mb,
              small.peak_mb, per_mb_small);
  std::printf("  %d words (%.1f MB): %.1f MB peak, %.2f MB per MB\n", kLargeWords, large.file_mb,
              large.peak_mb, per_mb_large);
  std::printf("  large/small ratio: %.2f (1.00 or less: memory follows the file)\n",
              per_mb_large / per_mb_small);
  std::printf("  above the floor of %.1f MB (no query): %.2f and %.2f MB per MB, ratio %.2f\n",
              floor.peak_mb, above_small, above_large,
              above_small > 0 ? above_large / above_small : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  PrintRatios();
  benchmark::Shutdown();
  return 0;
}
