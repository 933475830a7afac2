// A file of statements run by `skarnvel-cli exec -f` (one transaction), as a process from its
// start to its exit: N INSERT statements into one table with a primary key, an AutoNumber
// and a unique index, and N CREATE TABLE statements, at 1,000 and at 100,000 (20,000 for the
// tables), on a text database and on a Jet 4 file. The figures that matter: the time per
// statement at the larger N against that at 1,000 (linear: 1.0), for each storage.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/spawn_process.h"

namespace {

namespace fs = std::filesystem;

std::string Inserts(int n) {
  std::string sql;
  for (int i = 0; i < n; ++i) {
    sql += "INSERT INTO T (code, name) VALUES (" + std::to_string(i) + ", 'n" + std::to_string(i) +
           "');\n";
  }
  return sql;
}

std::string Tables(int n) {
  std::string sql;
  for (int i = 0; i < n; ++i) {
    const std::string k = std::to_string(i);
    sql += "CREATE TABLE T" + k + " (id LONG CONSTRAINT pk" + k + " PRIMARY KEY, name TEXT(20));\n";
  }
  return sql;
}

// Seconds of `exec -f` of `sql` on a new database named `name` in `folder`, -1 on failure.
double RunScript(const fs::path& folder, const std::string& name, const std::string& setup,
                 const std::string& sql) {
  const std::string db = (folder / name).string(), script = (folder / "script.sql").string();
  fs::remove(db);
  if (bench::Spawn({SKARNVEL_CLI, "create", db}, nullptr) != 0) return -1;
  if (!setup.empty() && bench::Spawn({SKARNVEL_CLI, "exec", db, setup}, nullptr) != 0) return -1;
  std::ofstream(script) << sql;
  const auto start = std::chrono::steady_clock::now();
  if (bench::Spawn({SKARNVEL_CLI, "exec", db, "-f", script}, nullptr) != 0) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Bulk(benchmark::State& state, const char* what, int small, int large, std::string (*make)(int),
          const std::string& setup) {
  const fs::path folder = fs::temp_directory_path() / "skarnvel-bulk-bench";
  fs::create_directories(folder);
  const std::string small_sql = make(small), large_sql = make(large);
  const char* const kinds[] = {"skdb", "mdb"};
  double small_s[2] = {0, 0}, large_s[2] = {0, 0};
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const std::string db = std::string("db.") + kinds[k];
      const double a = RunScript(folder, db, setup, small_sql);
      const double b = RunScript(folder, db, setup, large_sql);
      if (a < 0 || b < 0) {
        state.SkipWithError("a statement failed");
        return;
      }
      small_s[k] += a;
      large_s[k] += b;
    }
  }
  const double n = static_cast<double>(state.iterations());
  for (int k = 0; k < 2; ++k) {
    const std::string prefix = std::string(kinds[k]) + "_";
    state.counters[prefix + "us_per_statement_small"] = small_s[k] / n / small * 1e6;
    state.counters[prefix + "us_per_statement_large"] = large_s[k] / n / large * 1e6;
    state.counters[prefix + "linearity"] = (large_s[k] / large) / (small_s[k] / small);
  }
  state.SetLabel(what);
  fs::remove_all(folder);
}

void BM_Inserts(benchmark::State& state) {
  Bulk(state, "INSERT", 1000, 100000, Inserts,
       "CREATE TABLE T (id COUNTER CONSTRAINT pk PRIMARY KEY, code LONG CONSTRAINT u UNIQUE, "
       "name TEXT(20))");
}
BENCHMARK(BM_Inserts)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CreateTables(benchmark::State& state) {
  Bulk(state, "CREATE TABLE", 1000, 20000, Tables, "");
}
BENCHMARK(BM_CreateTables)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
