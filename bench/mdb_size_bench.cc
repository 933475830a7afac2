// Reading the structure of large Jet 4 files, as a user runs it, against mdbtools: generated
// files of about 20 MB, 200 MB and 1 GB with the same catalog (60 small tables with keys and
// relationships, four large tables with an index, a memo and an OLE column) and rows in
// proportion to the size (the 1 GB file has four tables of 1,000,000 rows). The files are
// made in the benchmark's own folder (SKARNVEL_BENCH_DIR, or the temporary folder) with the
// page writer, and reused while present.
// Figures: `skarnvel-cli rowset FILE columns` against `mdb-schema FILE` at each size (each a
// process, the two taking turns; medians of 15 runs); ours at 1 GB against ours at 20 MB
// (flat: 1.0); the peak memory of `skarnvel-cli compare` of the 1 GB file against the 200 MB
// one; and `rowset` of the 1 GB file just after its times changed, when the file's content
// is hashed to tell a change (time and peak memory: hashed in pieces, never held whole).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/mdb_columns.h"
#include "bench/spawn_process.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/relationship_writer.h"
#include "dbaccess/storage/mdb/table_creator.h"
#include "dbaccess/storage/mdb/table_editor.h"

namespace {

namespace fs = std::filesystem;
using namespace dbaccess::mdb;
using bench::Column;
using dbaccess::Cell;

constexpr int kSmallTables = 60;
constexpr int kLargeTables = 4;
constexpr int kRowsPerGigabyte = 1000000;  // a large table's rows in the 1 GB file
const int kSizesMb[] = {20, 200, 1000};

fs::path Folder() {
  const char* set = std::getenv("SKARNVEL_BENCH_DIR");
  const fs::path folder =
      fs::path(set != nullptr && *set != '\0' ? set : fs::temp_directory_path().string()) /
      "skarnvel-size-bench";
  fs::create_directories(folder);
  return folder;
}

// One commit of the writer on the file at `path`.
template <typename F>
void Change(const std::string& path, F change) {
  PageFile file(FileSource(path));
  PageWriter pages(file, path);
  change(pages);
  pages.Commit();
}

void MakeFile(const std::string& path, int megabytes) {
  const std::string part = path + ".part";
  fs::remove(part);
  CreateDatabaseFile(part, "");
  Change(part, [](PageWriter& pages) {
    for (int t = 0; t < kSmallTables; ++t) {
      TableDescription table;
      table.name = "Small" + std::to_string(t);
      table.columns = {Column("Id", kTypeLong), Column("Parent", kTypeLong),
                       Column("Name", kTypeText, 50), Column("Made", kTypeDateTime)};
      table.indexes.push_back({.name = "PrimaryKey", .columns = {{"Id"}}, .primary = true});
      CreateTable(pages, table, 45000.5);
    }
  });
  Change(part, [](PageWriter& pages) {
    for (int t = 1; t < kSmallTables; ++t) {
      dbaccess::Relationship r;
      r.name = "Rel" + std::to_string(t);
      r.primary_table = "Small" + std::to_string(t - 1);
      r.primary_columns = {"Id"};
      r.foreign_table = "Small" + std::to_string(t);
      r.foreign_columns = {"Parent"};
      AddRelationship(pages, r, 45000.5);
    }
  });
  const int rows = static_cast<int>(static_cast<int64_t>(kRowsPerGigabyte) * megabytes / 1000);
  for (int t = 0; t < kLargeTables; ++t) {
    Change(part, [&](PageWriter& pages) {
      TableDescription table;
      table.name = "Large" + std::to_string(t);
      table.columns = {Column("Id", kTypeLong), Column("Code", kTypeText, 40),
                       Column("Note", kTypeMemo), Column("Blob", kTypeOle),
                       Column("Amount", kTypeDouble)};
      table.indexes.push_back({.name = "PrimaryKey", .columns = {{"Id"}}, .primary = true});
      table.indexes.push_back({.name = "ByCode", .columns = {{"Code"}}});
      const uint32_t page = CreateTable(pages, table, 45000.5);
      TableEditor editor(pages, page, table.name);
      for (int i = 0; i < rows; ++i) {
        editor.Insert(
            {Cell{int64_t{i}}, Cell{"code " + std::to_string(i % 10007)},
             Cell{"a note of row " + std::to_string(i) + std::string(i % 7 == 0 ? 120 : 20, 'n')},
             Cell{dbaccess::Bytes{std::vector<uint8_t>(16 + i % 32, 0x5A)}}, Cell{i * 0.25}});
      }
      editor.Save();
    });
  }
  fs::rename(part, path);
}

std::string FileOf(int megabytes) {
  const std::string path = (Folder() / ("size" + std::to_string(megabytes) + ".mdb")).string();
  if (!fs::exists(path)) {
    MakeFile(path, megabytes);
    // A file changed a moment ago is told from another by its content until its times can be
    // trusted (file_stamp.h), which BM_RowsetJustChanged measures: the others read it as a
    // user's database is read, some time after it was last written.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  }
  return path;
}

// Seconds and peak memory (kB) of one process.
struct Outcome {
  double seconds = -1;
  long max_rss_kb = 0;
};

// Its peak memory measured by time(1) (spawn_process.h says why); 0 or 1 its exit code.
Outcome Measure(const std::vector<std::string>& args) {
  const auto start = std::chrono::steady_clock::now();
  const long bytes = bench::SpawnPeakMemory(args, /*max_exit_code=*/1);
  Outcome out;
  if (bytes >= 0) {
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.max_rss_kb = bytes / 1024;
  }
  return out;
}

// The median of ours at each size, for the flatness figure.
std::map<int, double>& OursMedian() {
  static std::map<int, double> medians;
  return medians;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Ours and mdb-schema on one file, taking turns (which starts alternates), so that what
// else the machine does falls on both alike; each figure is the median of its runs.
void BM_Structure(benchmark::State& state) {
  const int megabytes = kSizesMb[state.range(0)];
  const std::string file = FileOf(megabytes);
  const std::vector<std::string> ours = {SKARNVEL_CLI, "rowset", file, "columns"};
  const std::vector<std::string> theirs = {"mdb-schema", file};
  const bool peer = bench::Spawn({"mdb-schema", "--version"}, nullptr) == 0;
  // Once untimed, so that both read the file from the same page cache.
  if (bench::SpawnSeconds(ours, 1) < 0 || (peer && bench::SpawnSeconds(theirs, 1) < 0)) {
    state.SkipWithError("the process failed");
    return;
  }
  std::vector<double> our_times, their_times;
  bool ours_first = true;
  for (auto _ : state) {
    double mine = -1, other = 0;
    if (ours_first) mine = bench::SpawnSeconds(ours, 1);
    if (peer) other = bench::SpawnSeconds(theirs, 1);
    if (!ours_first) mine = bench::SpawnSeconds(ours, 1);
    if (mine < 0 || other < 0) {
      state.SkipWithError("the process failed");
      return;
    }
    our_times.push_back(mine);
    if (peer) their_times.push_back(other);
    ours_first = !ours_first;
  }
  const double our_median = Median(our_times);
  OursMedian()[megabytes] = our_median;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
  state.counters["ours_ms"] = our_median * 1e3;
  if (peer) {
    const double their_median = Median(their_times);
    state.counters["mdb_schema_ms"] = their_median * 1e3;
    state.counters["ours_vs_mdb_schema"] = our_median / their_median;
  }
  if (OursMedian().count(kSizesMb[0])) {
    state.counters["vs_20MB"] = our_median / OursMedian()[kSizesMb[0]];
  }
}
BENCHMARK(BM_Structure)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_CompareMemory(benchmark::State& state) {
  const std::string large = FileOf(1000), middle = FileOf(200);
  const fs::path lists = Folder() / "lists";
  long rss = 0;
  for (auto _ : state) {
    const Outcome o = Measure({SKARNVEL_CLI, "compare", large, middle, "--lists", lists.string()});
    if (o.seconds < 0) {
      state.SkipWithError("compare failed");
      return;
    }
    rss = std::max(rss, o.max_rss_kb);
  }
  state.counters["peak_MB"] = static_cast<double>(rss) / 1024;
}
BENCHMARK(BM_CompareMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RowsetJustChanged(benchmark::State& state) {
  const std::string large = FileOf(1000);
  long rss = 0;
  double total = 0;
  for (auto _ : state) {
    fs::last_write_time(large, fs::file_time_type::clock::now());
    const Outcome o = Measure({SKARNVEL_CLI, "rowset", large, "tables"});
    if (o.seconds < 0) {
      state.SkipWithError("rowset failed");
      return;
    }
    total += o.seconds;
    rss = std::max(rss, o.max_rss_kb);
  }
  state.counters["ms"] = total / static_cast<double>(state.iterations()) * 1e3;
  state.counters["peak_MB"] = static_cast<double>(rss) / 1024;
}
BENCHMARK(BM_RowsetJustChanged)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
