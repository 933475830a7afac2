// Reading real .mdb files: the engine layer (an ADO connection reading the four schema
// rowsets, a DAO database reading every saved query's name and text) against Debian's
// mdbtools doing the same work (mdb-schema for the structure, mdb-queries for the list of
// queries and each query's text), on every test file, in the same run.
// The figures that matter are the ratios printed at the end: our time / mdbtools' time.
// Then the same as a user meets it, whole processes on both sides: `skarnvel-cli rowset FILE
// columns` against `mdb-schema FILE`, with its ratio; the floor under both, a process that
// does nothing, started as often; and the floor under our side alone, the tool refusing a
// missing file. Last, the integrity check: `skarnvel-cli check` on the largest test file, as
// a process, against mdbtools reading all of that file's tables (mdb-tables, then one
// mdb-export per table, each a process), with its ratio printed the same way.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/spawn_process.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/files/database_file.h"

namespace {

namespace fs = std::filesystem;
using bench::Spawn;

struct TestFile {
  std::string path;
  std::string password;
};

// The folder of the real test files: SKARNVEL_TESTDATA from the environment, else as the
// build was configured.
std::string TestDataDir() {
  const char* set = std::getenv("SKARNVEL_TESTDATA");
  return set != nullptr && *set != '\0' ? set : SKARNVEL_TESTDATA;
}

// Every test file; none when the folder is missing.
std::vector<TestFile> TestFiles() {
  std::vector<TestFile> files;
  std::error_code missing;
  for (const auto& entry : fs::directory_iterator(TestDataDir(), missing)) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string name = entry.path().filename().string();
    std::string password;
    if (name == "V2000_with-password.mdb") password = "password";
    if (name == "password_ucanaccess.mdb") password = "ucanaccess";
    files.push_back({entry.path().string(), password});
  }
  return files;
}

// The test files; none, with the benchmark skipped saying why, when the folder is missing.
std::vector<TestFile> TestFilesOrSkip(benchmark::State& state) {
  std::vector<TestFile> files = TestFiles();
  if (files.empty()) {
    static const std::string missing = "no real .mdb test files in " + TestDataDir();
    state.SkipWithError(missing.c_str());
  }
  return files;
}

void BM_OurReader(benchmark::State& state) {
  using namespace dbaccess;
  const std::vector<TestFile> files = TestFilesOrSkip(state);
  if (files.empty()) return;
  for (auto _ : state) {
    size_t work = 0;
    for (const TestFile& file : files) {
      // Each reading starts from the file on disk, as each mdbtools program does: no
      // database closed before stays in memory (database_file.h).
      DatabaseFile::ReleaseRetained();
      {
        ado::Connection connection;
        connection.Open(ado::DatabaseLocation{file.path, file.password});
        for (ado::SchemaEnum schema : {ado::adSchemaTables, ado::adSchemaColumns,
                                       ado::adSchemaIndexes, ado::adSchemaForeignKeys}) {
          work += static_cast<size_t>(connection.OpenSchema(schema).RecordCount());
        }
      }
      DatabaseFile::ReleaseRetained();
      auto engine = dao::CreateOleObject(dao::kDbEngineClass);
      auto db =
          engine->Workspaces(0).OpenDatabase(file.path, false, false, ";PWD=" + file.password);
      dao::DaoQueryDefs queries = db->QueryDefs();
      for (int i = 0; i < queries.Count(); ++i) {
        work += queries.Item(i).Name().size() + queries.Item(i).SQL().size();
      }
    }
    benchmark::DoNotOptimize(work);
  }
  state.counters["files"] = static_cast<double>(files.size());
}

void BM_MdbTools(benchmark::State& state) {
  const std::vector<TestFile> files = TestFilesOrSkip(state);
  if (files.empty()) return;
  if (Spawn({"mdb-schema", "--version"}, nullptr) != 0) {
    state.SkipWithError("mdbtools is not installed");
    return;
  }
  for (auto _ : state) {
    for (const TestFile& file : files) {
      Spawn({"mdb-schema", "--indexes", "--relations", file.path}, nullptr);
      std::string list;
      Spawn({"mdb-queries", "-L", "-1", file.path}, &list);
      size_t start = 0;
      while (start < list.size()) {
        const size_t end = list.find('\n', start);
        const std::string name = list.substr(start, end - start);
        if (!name.empty()) Spawn({"mdb-queries", file.path, name}, nullptr);
        if (end == std::string::npos) break;
        start = end + 1;
      }
    }
  }
  state.counters["files"] = static_cast<double>(files.size());
}

// Whole processes on both sides: `skarnvel-cli rowset FILE columns` against `mdb-schema
// FILE`, on every test file, as a user runs each.
void BM_RowsetProcess(benchmark::State& state) {
  const std::vector<TestFile> files = TestFilesOrSkip(state);
  if (files.empty()) return;
  for (auto _ : state) {
    for (const TestFile& file : files) {
      if (file.password.empty()) {
        Spawn({SKARNVEL_CLI, "rowset", file.path, "columns"}, nullptr);
      } else {
        Spawn({SKARNVEL_CLI, "rowset", file.path, "--password", file.password, "columns"}, nullptr);
      }
    }
  }
  state.counters["files"] = static_cast<double>(files.size());
}

void BM_MdbSchemaProcess(benchmark::State& state) {
  const std::vector<TestFile> files = TestFiles();
  if (files.empty() || Spawn({"mdb-schema", "--version"}, nullptr) != 0) {
    state.SkipWithError("no test files or no mdbtools");
    return;
  }
  for (auto _ : state) {
    for (const TestFile& file : files) Spawn({"mdb-schema", file.path}, nullptr);
  }
  state.counters["files"] = static_cast<double>(files.size());
}

// The floor under both: a process that does nothing (`true`), started as often.
void BM_EmptyProcess(benchmark::State& state) {
  const std::vector<TestFile> files = TestFilesOrSkip(state);
  if (files.empty()) return;
  for (auto _ : state) {
    for (size_t i = 0; i < files.size(); ++i) Spawn({"true"}, nullptr);
  }
  state.counters["files"] = static_cast<double>(files.size());
}

// The floor under our side alone: skarnvel-cli started, its command line read and the
// rowset refused at once, for a file that is not there, started as often. What the tool
// costs before it reads anything: loading it, its runtime, its command line, its exit.
void BM_ToolStartProcess(benchmark::State& state) {
  const std::vector<TestFile> files = TestFilesOrSkip(state);
  if (files.empty()) return;
  const std::string missing = (fs::temp_directory_path() / "skarnvel-bench-no-such.mdb").string();
  std::error_code absent;
  fs::remove(missing, absent);
  for (auto _ : state) {
    for (size_t i = 0; i < files.size(); ++i) {
      Spawn({SKARNVEL_CLI, "rowset", missing, "columns"}, nullptr);
    }
  }
  state.counters["files"] = static_cast<double>(files.size());
}

std::string LargestTestFile() { return TestDataDir() + "/testV2000.mdb"; }

void BM_Check(benchmark::State& state) {
  const std::string file = LargestTestFile();
  if (Spawn({SKARNVEL_CLI, "check", file}, nullptr) != 0) {
    state.SkipWithError("skarnvel-cli check did not find the file sound");
    return;
  }
  for (auto _ : state) Spawn({SKARNVEL_CLI, "check", file}, nullptr);
  state.counters["bytes"] = static_cast<double>(fs::file_size(file));
}

void BM_MdbExportAllTables(benchmark::State& state) {
  const std::string file = LargestTestFile();
  if (Spawn({"mdb-tables", "--version"}, nullptr) != 0) {
    state.SkipWithError("mdbtools is not installed");
    return;
  }
  size_t tables = 0;
  for (auto _ : state) {
    std::string list;
    Spawn({"mdb-tables", "-1", file}, &list);
    tables = 0;
    size_t start = 0;
    while (start < list.size()) {
      const size_t end = list.find('\n', start);
      const std::string name = list.substr(start, end - start);
      if (!name.empty()) {
        Spawn({"mdb-export", file, name}, nullptr);
        ++tables;
      }
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  state.counters["tables"] = static_cast<double>(tables);
}

BENCHMARK(BM_OurReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsetProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MdbSchemaProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolStartProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MdbTools)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MdbExportAllTables)->Unit(benchmark::kMillisecond);

// Prints as usual and remembers each benchmark's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }
  const std::map<std::string, double>& times() const { return times_; }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& times = reporter.times();
  if (times.count("BM_OurReader") && times.count("BM_MdbTools")) {
    std::cout << "ratio our reader / mdbtools: "
              << times.at("BM_OurReader") / times.at("BM_MdbTools") << " (goal: at most 0.5)\n";
  }
  if (times.count("BM_RowsetProcess") && times.count("BM_MdbSchemaProcess")) {
    std::cout << "ratio skarnvel-cli rowset / mdb-schema (whole processes): "
              << times.at("BM_RowsetProcess") / times.at("BM_MdbSchemaProcess") << "\n";
    if (times.count("BM_EmptyProcess")) {
      const double floor = times.at("BM_EmptyProcess");
      std::cout << "ratio of an empty process (true) / mdb-schema, the floor under both: "
                << floor / times.at("BM_MdbSchemaProcess") << "\n"
                << "ratio above that floor, skarnvel-cli rowset / mdb-schema: "
                << (times.at("BM_RowsetProcess") - floor) /
                       (times.at("BM_MdbSchemaProcess") - floor)
                << "\n";
    }
    if (times.count("BM_ToolStartProcess")) {
      std::cout << "ratio of skarnvel-cli's own start (a rowset of a missing file) / "
                   "mdb-schema, the floor under our side: "
                << times.at("BM_ToolStartProcess") / times.at("BM_MdbSchemaProcess") << "\n";
    }
  }
  if (times.count("BM_Check") && times.count("BM_MdbExportAllTables")) {
    std::cout << "ratio check / mdb-export of all tables: "
              << times.at("BM_Check") / times.at("BM_MdbExportAllTables") << "\n";
  }
  benchmark::Shutdown();
  return 0;
}
