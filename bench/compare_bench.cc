// The four structure comparisons on two generated databases, loading included, at 1x, 4x
// and 16x of a base size: 2,000 tables with 60,000 columns, 4,000 primary and unique key
// rows, 1,000 relation rows and 1,000 saved queries, about a tenth of each different in
// each of the ways the comparisons tell apart. A second family repeats the comparisons on
// files the engine layer has already read; a third times the comparisons alone on
// snapshots loaded beforehand.
//
// After the runs the program prints, per family, the time at 4x and 16x against the time at
// 1x measured in the same run, divided by the size factor: 1.00 is linear.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/files/database_file.h"
#include "engine/uAlg.h"

namespace {

using dbaccess::Catalog;

constexpr int kTablesPerScale = 2000;
constexpr int kColumnsPerTable = 30;
constexpr int kRelationsPerScale = 1000;
constexpr int kQueriesPerScale = 1000;
// Every tenth object differs in one way; the position within ten picks the way.
constexpr int kVariety = 10;
constexpr int kKeyColumn = 5;  // the primary key column of every table
constexpr int kMovedKeyColumn = 6;
constexpr int kUniqueColumn = 7;  // the column of every table's unique index
constexpr int kForeignColumn = 8;
constexpr std::chrono::milliseconds kSettleTime{2500};

char Digit(int i) { return static_cast<char>('0' + i); }
std::string Number(int i, int width) {
  std::string s(width, '0');
  for (int p = width - 1; p >= 0 && i > 0; --p, i /= 10) s[p] = Digit(i % 10);
  return s;
}
std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

// Table i: 0 only in the working database, 1 only in the new one, 2 named in other Latin
// letter case in the new one, 3 named in Cyrillic; the others alike by name.
bool HasTable(int i, bool fresh) { return i % kVariety != (fresh ? 0 : 1); }
std::string TableName(int i, bool fresh) {
  const std::string name = (i % kVariety == 3 ? "Таблица" : "Table") + Number(i, 6);
  return (fresh && i % kVariety == 2) ? Upper(name) : name;
}

dbaccess::Table MakeTable(int i, bool fresh) {
  dbaccess::Table table;
  table.name = TableName(i, fresh);
  const bool common = HasTable(i, !fresh);
  for (int j = 0; j < kColumnsPerTable; ++j) {
    const int way = common ? j % kVariety : -1;
    if (way == (fresh ? 0 : 1)) continue;  // a dropped or a new column
    dbaccess::Column c;
    c.name = "Col" + Number(j, 2);
    c.type = dbaccess::DataType::kLong;
    if (way == 2 && fresh) {  // Long becomes Text(50): two property results
      c.type = dbaccess::DataType::kText;
      c.size = 50;
    }
    if (j == kKeyColumn || j == kMovedKeyColumn) c.required = true;
    if (way == 3) c.required = fresh;  // an optional column becomes required
    if (way == 4) c.default_value = fresh ? "1" : "0";
    if (j == 9) c.default_value = "0";
    table.columns.push_back(std::move(c));
  }
  dbaccess::Index pk;
  pk.name = "PK_" + Number(i, 6);
  const bool moved = fresh && common && i % kVariety == 4;
  pk.columns = {{"Col" + Number(moved ? kMovedKeyColumn : kKeyColumn, 2)}};
  pk.primary = pk.unique = pk.required = true;
  table.indexes.push_back(pk);
  // The unique index: 5 renamed (no difference), 6 only in the working database, 7 only in
  // the new one.
  const int way = common ? i % kVariety : -1;
  if (way != (fresh ? 6 : 7)) {
    dbaccess::Index ux;
    ux.name = (fresh && way == 5 ? "UX2_" : "UX_") + Number(i, 6);
    ux.columns = {{"Col" + Number(kUniqueColumn, 2)}};
    ux.unique = true;
    table.indexes.push_back(ux);
  }
  return table;
}

Catalog Generate(int scale, bool fresh) {
  Catalog catalog;
  const int tables = kTablesPerScale * scale;
  for (int i = 0; i < tables; ++i) {
    if (HasTable(i, fresh)) catalog.AddTable(MakeTable(i, fresh));
  }
  // Relations from Col08 of a table to the key of the same table, on tables both
  // databases hold with an unmoved key: 0 only in the working database, 1 only in the new
  // one, 2 another update rule, 3 another constraint name.
  int made = 0;
  for (int i = 0; i < tables && made < kRelationsPerScale * scale; ++i) {
    const int way = i % kVariety;
    if (way == 0 || way == 1 || way == 4) continue;
    const int k = made++;
    if (k % kVariety == (fresh ? 0 : 1)) continue;
    dbaccess::Relationship r;
    r.name = (fresh && k % kVariety == 3 ? "FK2_" : "FK_") + Number(i, 6);
    r.primary_table = r.foreign_table = TableName(i, fresh);
    r.primary_columns = {"Col" + Number(kKeyColumn, 2)};
    r.foreign_columns = {"Col" + Number(kForeignColumn, 2)};
    if (fresh && k % kVariety == 2) r.update_rule = dbaccess::Rule::kCascade;
    dbaccess::Table* table = catalog.FindTable(r.foreign_table);
    dbaccess::Index hidden;
    hidden.name = r.name;
    hidden.columns = {{r.foreign_columns[0]}};
    hidden.foreign = true;
    table->indexes.push_back(hidden);
    catalog.relationships().push_back(std::move(r));
  }
  // Queries: 0 only in the working database, 1 only in the new one, 2 another text, 3 the
  // name in other Latin letter case, 4 the text in other Latin letter case.
  for (int k = 0; k < kQueriesPerScale * scale; ++k) {
    const int way = k % kVariety;
    if (way == (fresh ? 0 : 1)) continue;
    std::string name = "Query" + Number(k, 6);
    std::string sql = "SELECT Col05, Col09\r\nFROM [" + TableName(k % tables, false) +
                      "]\r\nWHERE Col09 > " + std::to_string(k) + ";";
    if (fresh && way == 2) sql += "\r\n";
    if (fresh && way == 3) name = Upper(name);
    if (fresh && way == 4) sql = Upper(sql);
    catalog.AddQuery({name, sql});
  }
  return catalog;
}

struct DatabasePair {
  std::string working;
  std::string fresh;
};

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    auto dir = std::filesystem::temp_directory_path() /
               ("skarnvel-compare-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
  }();
  return folder;
}

void Write(const std::string& path, Catalog catalog) {
  dbaccess::DatabaseFile::CreateText(path, "");
  dbaccess::DatabaseFile::Open(path, "")->Apply(
      [&](Catalog& target, dbaccess::ChangeList&) { target = std::move(catalog); });
}

const DatabasePair& Databases(int scale) {
  static std::map<int, DatabasePair> made;
  auto found = made.find(scale);
  if (found != made.end()) return found->second;
  DatabasePair pair{(Folder() / ("working-" + std::to_string(scale) + ".mdb")).string(),
                    (Folder() / ("new-" + std::to_string(scale) + ".mdb")).string()};
  Write(pair.working, Generate(scale, false));
  Write(pair.fresh, Generate(scale, true));
  // The engine layer trusts a file's times only once they are older than its change
  // detection window; before that every look at the file compares its content. The
  // comparisons are timed on files at rest.
  std::this_thread::sleep_for(kSettleTime);
  return made.emplace(scale, pair).first->second;
}

// The four comparisons of the two files, each opening and closing its own connections.
size_t CompareAll(const DatabasePair& db) {
  const uAlg::TResults tables = uAlg::CompareTables(db.working, db.fresh, "", "");
  uAlg::TIResults keys;
  uAlg::CompareIndexes(db.working, db.fresh, "", "", keys, uAlg::kPrimaryKeys);
  uAlg::CompareIndexes(db.working, db.fresh, "", "", keys, uAlg::kUniqueIndexes);
  uAlg::TfkResults relations;
  uAlg::CompareRelations(db.working, db.fresh, "", "", relations);
  uAlg::TQResults queries;
  uAlg::CompareQueries(db.working, db.fresh, "", "", queries);
  return tables.size() + keys.size() + relations.size() + queries.size();
}

// Loading included: the engine layer keeps no file from an earlier iteration, so each
// compare-all reads and parses both files (once each).
void BM_LoadAndCompareAll(benchmark::State& state) {
  const DatabasePair& db = Databases(static_cast<int>(state.range(0)));
  size_t results = 0;
  for (auto _ : state) {
    dbaccess::DatabaseFile::ReleaseRetained();
    results = CompareAll(db);
    benchmark::DoNotOptimize(results);
  }
  dbaccess::DatabaseFile::ReleaseRetained();
  state.counters["results"] = static_cast<double>(results);
}

// A compare-all repeated on files unchanged since the last one: the engine layer reuses
// what it read then.
void BM_CompareAllAgain(benchmark::State& state) {
  const DatabasePair& db = Databases(static_cast<int>(state.range(0)));
  size_t results = CompareAll(db);
  for (auto _ : state) {
    results = CompareAll(db);
    benchmark::DoNotOptimize(results);
  }
  dbaccess::DatabaseFile::ReleaseRetained();
  state.counters["results"] = static_cast<double>(results);
}

void BM_CompareSnapshots(benchmark::State& state) {
  const DatabasePair& db = Databases(static_cast<int>(state.range(0)));
  const uAlg::TTables w_tables = uAlg::LoadTables(db.working, "");
  const uAlg::TTables n_tables = uAlg::LoadTables(db.fresh, "");
  const uAlg::TInds w_pk = uAlg::LoadIndexes(db.working, "", uAlg::kPrimaryKeys);
  const uAlg::TInds n_pk = uAlg::LoadIndexes(db.fresh, "", uAlg::kPrimaryKeys);
  const uAlg::TInds w_ux = uAlg::LoadIndexes(db.working, "", uAlg::kUniqueIndexes);
  const uAlg::TInds n_ux = uAlg::LoadIndexes(db.fresh, "", uAlg::kUniqueIndexes);
  const uAlg::TFKeys w_fk = uAlg::LoadRelations(db.working, "");
  const uAlg::TFKeys n_fk = uAlg::LoadRelations(db.fresh, "");
  const uAlg::TQuerys w_q = uAlg::LoadQueries(db.working, "");
  const uAlg::TQuerys n_q = uAlg::LoadQueries(db.fresh, "");
  size_t results = 0;
  for (auto _ : state) {
    const uAlg::TResults tables = uAlg::CompareTables(w_tables, n_tables);
    uAlg::TIResults keys;
    uAlg::CompareIndexes(w_pk, n_pk, keys, uAlg::kPrimaryKeys);
    uAlg::CompareIndexes(w_ux, n_ux, keys, uAlg::kUniqueIndexes);
    uAlg::TfkResults relations;
    uAlg::CompareRelations(w_fk, n_fk, relations);
    uAlg::TQResults queries;
    uAlg::CompareQueries(w_q, n_q, queries);
    results = tables.size() + keys.size() + relations.size() + queries.size();
    benchmark::DoNotOptimize(results);
  }
  state.counters["results"] = static_cast<double>(results);
}

BENCHMARK(BM_LoadAndCompareAll)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CompareAllAgain)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CompareSnapshots)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Keeps the real and CPU time per iteration of every run (the median when the runs are
// repeated) and prints, per family, the times at each size against the time at 1x.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!median && run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.run_name.function_name;
      const int scale = std::stoi(run.run_name.args);
      Times& times = times_[name][scale];
      if (median || !times.median)
        times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [family, by_scale] : times_) {
      auto base = by_scale.find(1);
      if (base == by_scale.end() || base->second.real <= 0 || base->second.cpu <= 0) continue;
      for (const auto& [scale, t] : by_scale) {
        if (scale == 1) continue;
        const double real = t.real / base->second.real, cpu = t.cpu / base->second.cpu;
        std::printf(
            "%s %2dx: real time %.2fx of 1x (%.2f of linear), CPU time %.2fx (%.2f of linear)\n",
            family.c_str(), scale, real, real / scale, cpu, cpu / scale);
      }
    }
  }

 private:
  struct Times {
    double real = 0, cpu = 0;
    bool median = false;
  };
  std::map<std::string, std::map<int, Times>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder());
  return 0;
}
