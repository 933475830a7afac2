// Reading the structure of large Jet 4 files, as a user runs it, against mdbtools: generated
// files of about 20 MB, 200 MB and 1 GB with the same catalog (60 small tables with keys and
// relationships, four large tables with an index, a memo and an OLE column) and rows in
// proportion to the size (the 1 GB file has four tables of 1,000,000 rows). The files are
// made in the benchmark's own folder (SKARNVEL_BENCH_DIR, or the temporary folder) with the
// page writer, and reused while present.
// Figures: `skarnvel-cli rowset FILE columns` against `mdb-schema FILE` at each size (each a
// process); ours at 1 GB against ours at 20 MB (flat: 1.0); the peak memory of
// `skarnvel-cli compare` of the 1 GB file against the 200 MB one; and `rowset` of the 1 GB
// file just after its times changed, when the file's content is hashed to tell a change
// (time and peak memory: hashed in pieces, never held whole).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::map<std::string, double>& Times() {
  static std::map<std::string, double> times;
  return times;
}

void BM_Structure(benchmark::State& state, bool ours) {
  const int megabytes = kSizesMb[state.range(0)];
  const std::string file = FileOf(megabytes);
  if (!ours && bench::Spawn({"mdb-schema", "--version"}, nullptr) != 0) {
    state.SkipWithError("mdbtools is not installed");
    return;
  }
  // Once untimed, so that both read the file from the same page cache.
  if (bench::SpawnSeconds(ours ? std::vector<std::string>{SKARNVEL_CLI, "rowset", file, "columns"}
                               : std::vector<std::string>{"mdb-schema", file},
                          1) < 0) {
    state.SkipWithError("the process failed");
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const double s = ours ? bench::SpawnSeconds({SKARNVEL_CLI, "rowset", file, "columns"}, 1)
                          : bench::SpawnSeconds({"mdb-schema", file}, 1);
    if (s < 0) {
      state.SkipWithError("the process failed");
      return;
    }
    total += s;
  }
  const double each = total / static_cast<double>(state.iterations());
  Times()[(ours ? "ours" : "mdb-schema") + std::to_string(megabytes)] = each;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
  state.counters["ms"] = each * 1e3;
  if (!ours && Times().count("ours" + std::to_string(megabytes))) {
    state.counters["ours_vs_mdb_schema"] = Times()["ours" + std::to_string(megabytes)] / each;
  }
  if (ours && Times().count("ours20")) state.counters["vs_20MB"] = each / Times()["ours20"];
}
void BM_Rowset(benchmark::State& state) { BM_Structure(state, true); }
void BM_MdbSchema(benchmark::State& state) { BM_Structure(state, false); }
BENCHMARK(BM_Rowset)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_MdbSchema)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(7);

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
