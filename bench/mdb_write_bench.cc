// Writing rows into a Jet 4 file through the page writer: a new database made, a table of
// five columns (an autonumber key, a text with an index of its own, a number, a date, a
// memo) created and filled with N rows, its indexes built, and the change committed. Each
// writing runs in a process of its own, from the fork to the exit; it is measured against
// mdb-export reading the same table of the written file back, as a process too.
// The figures that matter are the counters: the time per row at 100,000 rows against that at
// 10,000 (linear: 1.0), and our writing time against mdb-export's reading time.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/spawn_process.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/table_creator.h"
#include "dbaccess/storage/mdb/table_editor.h"

namespace {

namespace fs = std::filesystem;
using namespace dbaccess::mdb;
using dbaccess::Cell;

constexpr char kTable[] = "Orders";

TableDescription OrdersTable() {
  TableDescription table;
  table.name = kTable;
  auto add = [&](const char* name, uint8_t type) -> ColumnDescription& {
    ColumnDescription column;
    column.name = name;
    column.type = type;
    table.columns.push_back(column);
    return table.columns.back();
  };
  add("Id", kTypeLong).autonumber = true;
  add("Customer", kTypeText).size = 50;
  add("Amount", kTypeDouble);
  add("Made", kTypeDateTime);
  add("Note", kTypeMemo);
  table.indexes.push_back({.name = "PrimaryKey", .columns = {{"Id"}}, .primary = true});
  table.indexes.push_back({.name = "Customer", .columns = {{"Customer"}}});
  return table;
}

// A new database at `path` with the table filled with `rows` rows.
void WriteDatabase(const std::string& path, int rows) {
  fs::remove(path);
  CreateDatabaseFile(path, "");
  PageFile file(MemorySource(dbaccess::ReadWholeFile(path)));
  PageWriter pages(file, path);
  const uint32_t page = CreateTable(pages, OrdersTable(), 45000.5);
  TableEditor table(pages, page, kTable);
  for (int i = 0; i < rows; ++i) {
    table.Insert({Cell{}, Cell{"Customer " + std::to_string(i % 5000)}, Cell{i * 1.25},
                  Cell{45000.0 + i / 100.0}, Cell{"order note " + std::to_string(i)}});
  }
  table.Save();
  pages.Commit();
}

// Seconds of a forked process that writes the database.
double TimedWrite(const std::string& path, int rows) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      WriteDatabase(path, rows);
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimedExport(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  if (bench::Spawn({"mdb-export", path, kTable}, nullptr) != 0) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WriteRows(benchmark::State& state) {
  const std::string folder = (fs::temp_directory_path() / "skarnvel-write-bench").string();
  fs::create_directories(folder);
  const std::string small = folder + "/small.mdb", large = folder + "/large.mdb";
  const bool have_export = bench::Spawn({"mdb-export", "--version"}, nullptr) == 0;
  double small_s = 0, large_s = 0, export_s = 0;
  for (auto _ : state) {
    const double a = TimedWrite(small, 10000), b = TimedWrite(large, 100000);
    if (a < 0 || b < 0) {
      state.SkipWithError("writing failed");
      break;
    }
    small_s += a;
    large_s += b;
    if (have_export) export_s += TimedExport(large);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["us_per_row_10k"] = small_s / n / 10000 * 1e6;
  state.counters["us_per_row_100k"] = large_s / n / 100000 * 1e6;
  state.counters["linearity_100k_vs_10k"] = (large_s / 100000) / (small_s / 10000);
  state.counters["file_MB"] = static_cast<double>(fs::file_size(large)) / 1e6;
  if (have_export) state.counters["write_vs_mdb_export"] = large_s / export_s;
  fs::remove_all(folder);
}
BENCHMARK(BM_WriteRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
