// Opening a large text-storage database and reading its four schema rowsets, against the
// baseline of reading the same file's bytes.
//
// The database: 2,000 tables of 30 columns (60,000 columns), 4,000 indexes (a primary key
// and one more index per table), 1,000 enforced relationships, 1,000 saved queries; and the
// same at 4x that size. After the runs the program prints each measurement as a ratio to
// the baseline of the same size, and how the ratio moves from 1x to 4x (a linear reader
// keeps it where it is). Every measurement but the reopen starts from a file the engine
// layer does not hold in memory (database_file.h), so it reads the whole script.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/generated_files.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"

namespace {

namespace fs = std::filesystem;
using dbaccess::ado::Connection;
using dbaccess::ado::Recordset;

constexpr int kTablesPerUnit = 2000;
constexpr int kColumnsPerTable = 30;
constexpr int kRelationshipsPerUnit = 1000;
constexpr int kQueriesPerUnit = 1000;
constexpr int kSizes[] = {1, 4};

std::string Name(const char* prefix, int i) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s%05d", prefix, i);
  return buffer;
}

// The column definition of column c (1-based) of a table.
std::string ColumnDefinition(int c) {
  static const char* const kTypes[] = {"TEXT(50)", "LONG",     "MEMO", "CURRENCY", "DATETIME",
                                       "DOUBLE",   "TEXT(10)", "BIT",  "SHORT",    "TEXT(255)"};
  std::string d = Name("C", c) + " " + kTypes[c % 10];
  if (c % 7 == 0) d += " NOT NULL";
  if (c % 5 == 1 && kTypes[c % 10][0] == 'L') d += " DEFAULT 0";
  return d;
}

// Builds the database at `path` through the engine, as one change.
void Generate(const std::string& path, int scale) {
  const int tables = kTablesPerUnit * scale;
  dbaccess::DatabaseFile::CreateText(path, "");
  std::shared_ptr<dbaccess::DatabaseFile> file = dbaccess::DatabaseFile::Open(path, "");
  file->Apply([&](dbaccess::Catalog& catalog, dbaccess::ChangeList& changes) {
    for (int t = 0; t < tables; ++t) {
      std::string sql = "CREATE TABLE " + Name("T", t) + " (ID LONG NOT NULL CONSTRAINT " +
                        Name("PK", t) + " PRIMARY KEY, ParentID LONG";
      for (int c = 3; c <= kColumnsPerTable; ++c) sql += ", " + ColumnDefinition(c);
      sql += ")";
      dbaccess::ExecuteSql(catalog, sql, changes);
      dbaccess::ExecuteSql(catalog,
                           std::string(t % 2 ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
                               Name("IX", t) + " ON " + Name("T", t) + " (" + Name("C", 3) + ")",
                           changes);
    }
    for (int r = 0; r < kRelationshipsPerUnit * scale; ++r) {
      dbaccess::ExecuteSql(catalog,
                           "ALTER TABLE " + Name("T", r) + " ADD CONSTRAINT " + Name("R", r) +
                               " FOREIGN KEY (ParentID) REFERENCES " + Name("T", tables - 1 - r) +
                               " (ID) ON DELETE CASCADE",
                           changes);
    }
    for (int q = 0; q < kQueriesPerUnit * scale; ++q) {
      const std::string table = Name("T", q % tables);
      const std::string sql =
          q % 2 ? "SELECT * FROM " + table + " WHERE ID > 10;"
                : "PARAMETERS p Long;\r\nSELECT * FROM " + table + " WHERE ID = p;";
      dbaccess::CreateQueryDef(catalog, Name("Q", q), sql, changes);
    }
  });
}

bench::GeneratedFiles& Files() {
  static bench::GeneratedFiles files("skarnvel-bench", "db", "x.skdb", Generate);
  return files;
}

// Touches every value of every row, as a caller reading the rowset would.
int64_t Walk(Recordset& rs) {
  int64_t values = 0;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    for (int i = 0; i < rs.FieldCount(); ++i) {
      benchmark::DoNotOptimize(rs.Field(rs.FieldName(i)));
      ++values;
    }
  }
  return values;
}

void BM_ReadBytes(benchmark::State& state) {
  const std::string& path = Files().Path(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    benchmark::DoNotOptimize(bytes.data());
    state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(bytes.size()));
  }
}

// Opening alone: reading and checking the whole script. The engine layer keeps no file
// from an earlier iteration.
void BM_Open(benchmark::State& state) {
  const std::string& path = Files().Path(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    dbaccess::DatabaseFile::ReleaseRetained();
    Connection c;
    c.Open(dbaccess::ado::DatabaseLocation{path, ""});
    c.Close();
  }
  dbaccess::DatabaseFile::ReleaseRetained();
}

// Opening again a file read before and unchanged since: the password and the file's state
// are checked, the script is not read again.
void BM_Reopen(benchmark::State& state) {
  const std::string& path = Files().Path(static_cast<int>(state.range(0)));
  Connection first;
  first.Open(dbaccess::ado::DatabaseLocation{path, ""});
  first.Close();
  for (auto _ : state) {
    Connection c;
    c.Open(dbaccess::ado::DatabaseLocation{path, ""});
    c.Close();
  }
  dbaccess::DatabaseFile::ReleaseRetained();
}

void BM_OpenAndReadFourRowsets(benchmark::State& state) {
  const std::string& path = Files().Path(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    dbaccess::DatabaseFile::ReleaseRetained();
    Connection c;
    c.Open(dbaccess::ado::DatabaseLocation{path, ""});
    int64_t values = 0;
    for (auto schema : {dbaccess::ado::adSchemaTables, dbaccess::ado::adSchemaColumns,
                        dbaccess::ado::adSchemaIndexes, dbaccess::ado::adSchemaForeignKeys}) {
      Recordset rs = c.OpenSchema(schema);
      values += Walk(rs);
    }
    state.counters["values"] = static_cast<double>(values);
    c.Close();
  }
}

// The way the table comparison reads a database: the user tables, then each table's columns
// through a restricted COLUMNS rowset sorted by ordinal position.
void BM_OpenAndReadColumnsTableByTable(benchmark::State& state) {
  const std::string& path = Files().Path(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    dbaccess::DatabaseFile::ReleaseRetained();
    Connection c;
    c.Open(dbaccess::ado::DatabaseLocation{path, ""});
    Recordset tables = c.OpenSchema(dbaccess::ado::adSchemaTables);
    tables.SetFilter("TABLE_TYPE='TABLE'");
    int64_t columns = 0;
    for (; !tables.Eof(); tables.MoveNext()) {
      Recordset rs =
          c.OpenSchema(dbaccess::ado::adSchemaColumns,
                       {dbaccess::Variant(), dbaccess::Variant(), tables.Field("TABLE_NAME")});
      rs.SetSort("Ordinal_Position");
      columns += rs.RecordCount();
    }
    state.counters["columns"] = static_cast<double>(columns);
    c.Close();
  }
}

BENCHMARK(BM_ReadBytes)->DenseRange(1, 4, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->DenseRange(1, 4, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reopen)->DenseRange(1, 4, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndReadFourRowsets)->DenseRange(1, 4, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndReadColumnsTableByTable)->DenseRange(1, 4, 3)->Unit(benchmark::kMillisecond);

// Keeps each run's CPU time per iteration (steadier than wall time on a shared machine),
// then prints the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration)
        times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
  }

  void PrintRatios() const {
    std::printf("\nRatios to reading the file's bytes (same run, same file):\n");
    for (const char* name : {"BM_Open", "BM_Reopen", "BM_OpenAndReadFourRowsets",
                             "BM_OpenAndReadColumnsTableByTable"}) {
      double ratio[2] = {0, 0};
      for (int k = 0; k < 2; ++k) {
        std::string size = "/";
        size += std::to_string(kSizes[k]);
        const auto base = times_.find("BM_ReadBytes" + size);
        const auto run = times_.find(name + size);
        if (base == times_.end() || run == times_.end() || base->second <= 0) continue;
        ratio[k] = run->second / base->second;
        std::printf("  %-36s %dx: %8.1f\n", name, kSizes[k], ratio[k]);
      }
      if (ratio[0] > 0 && ratio[1] > 0) {
        std::printf("  %-36s 4x/1x ratio: %.2f (1.00 = linear like the baseline)\n", name,
                    ratio[1] / ratio[0]);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
