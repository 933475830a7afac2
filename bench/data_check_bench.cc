// The data check against the run it foretells, each `skarnvel-cli` as a process from its
// start to its exit, on the same databases in the same run: a working database of five
// tables of 20,000 rows each, and a new structure that drops a column of one, widens a text
// column of another (every value converted) and puts a primary key on a third; two tables
// stay as they are. `check-data` reads the three touched tables once and changes nothing;
// `run` carries the same actions out on a fresh copy. The figure that matters: check / run
// (below 1: the check costs less than the run it saves from going wrong), for a text
// database and for a Jet 4 file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/spawn_process.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTables = 5;
constexpr int kRows = 20000;

std::string Table(int t, bool fresh) {
  const std::string k = std::to_string(t);
  if (!fresh || t >= 3) {
    return "CREATE TABLE T" + k + " (ID LONG, Name TEXT(40), Old TEXT(10), Amount DOUBLE);\n";
  }
  switch (t) {
    case 0:
      return "CREATE TABLE T0 (ID LONG, Name TEXT(40), Amount DOUBLE);\n";
    case 1:
      return "CREATE TABLE T1 (ID LONG, Name TEXT(60), Old TEXT(10), Amount DOUBLE);\n";
    default:
      return "CREATE TABLE T2 (ID LONG CONSTRAINT PK2 PRIMARY KEY, Name TEXT(40), Old TEXT(10), "
             "Amount DOUBLE);\n";
  }
}

bool Make(const fs::path& db, bool fresh, const fs::path& script) {
  fs::remove(db);
  std::ofstream out(script);
  for (int t = 0; t < kTables; ++t) out << Table(t, fresh);
  if (!fresh) {
    for (int t = 0; t < kTables; ++t) {
      for (int i = 0; i < kRows; ++i) {
        out << "INSERT INTO T" << t << " VALUES (" << i << ", 'name " << i << "', 'o" << i % 97
            << "', " << i << ".25);\n";
      }
    }
  }
  out.close();
  return bench::Spawn({SKARNVEL_CLI, "create", db.string()}, nullptr) == 0 &&
         bench::Spawn({SKARNVEL_CLI, "exec", db.string(), "-f", script.string()}, nullptr) == 0;
}

void BM_CheckAgainstRun(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "skarnvel-data-check-bench";
  fs::create_directories(folder);
  const char* const kinds[] = {"skdb", "mdb"};
  double check_s[2] = {0, 0}, run_s[2] = {0, 0};
  fs::path work[2], copy[2];
  for (int k = 0; k < 2; ++k) {
    const std::string ext = kinds[k];
    work[k] = folder / ("work." + ext);
    copy[k] = folder / ("copy." + ext);
    const fs::path fresh = folder / ("new." + ext), lists = folder / ext;
    fs::create_directories(lists);
    if (!Make(work[k], false, folder / "work.sql") || !Make(fresh, true, folder / "new.sql") ||
        bench::SpawnSeconds(
            {SKARNVEL_CLI, "compare", work[k].string(), fresh.string(), "--lists", lists.string()},
            1) < 0) {
      state.SkipWithError("the databases could not be made");
      return;
    }
  }
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const std::string lists = (folder / kinds[k]).string();
      // check-data exits 1 when it finds something, as it does here; compare and run too
      // when something is left.
      const double check =
          bench::SpawnSeconds({SKARNVEL_CLI, "check-data", work[k].string(), "--lists", lists}, 1);
      fs::copy_file(work[k], copy[k], fs::copy_options::overwrite_existing);
      const double run =
          bench::SpawnSeconds({SKARNVEL_CLI, "run", copy[k].string(), "--lists", lists,
                               "--no-backup", "--on-data-loss", "run", "--on-error", "continue"},
                              1);
      if (check < 0 || run < 0) {
        state.SkipWithError("a command failed");
        return;
      }
      check_s[k] += check;
      run_s[k] += run;
    }
  }
  const double n = static_cast<double>(state.iterations());
  for (int k = 0; k < 2; ++k) {
    const std::string prefix = std::string(kinds[k]) + "_";
    state.counters[prefix + "check_ms"] = check_s[k] / n * 1e3;
    state.counters[prefix + "run_ms"] = run_s[k] / n * 1e3;
    state.counters[prefix + "check_to_run"] = check_s[k] / run_s[k];
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_CheckAgainstRun)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
