// The engine layer on a large database against a small one: single statements should cost
// about the same whatever the size of the catalog (the counter "large/small" near 1), and
// reading, writing and storing a whole database should grow with its size and no faster
// ("per column large/small" near 1).
//
// Small: 20 tables of 30 fields, 10 relationships, 10 queries. Large: 2,000 tables of 30
// fields (60,000 fields), 1,000 relationships, 1,000 queries.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/text/text_script.h"

namespace {

using dbaccess::Catalog;
using dbaccess::ChangeList;
using Clock = std::chrono::steady_clock;

struct Size {
  int tables;
  int relationships;
  int queries;
};
constexpr int kColumns = 30;
constexpr Size kSmall = {20, 10, 10};
constexpr Size kLarge = {2000, 1000, 1000};

void Exec(Catalog& c, const std::string& sql) {
  ChangeList changes;
  dbaccess::ExecuteSql(c, sql, changes);
}

std::string Table(int i) { return "[Таблица " + std::to_string(i) + "]"; }

Catalog Build(const Size& size) {
  Catalog c;
  for (int t = 0; t < size.tables; ++t) {
    std::string sql = "CREATE TABLE " + Table(t) + " ([ID] COUNTER PRIMARY KEY, [Ref] Long";
    for (int k = 2; k < kColumns; ++k) {
      sql += ", [Поле " + std::to_string(k) + "] " + (k % 3 == 0 ? "Text(50)" : "Double");
    }
    Exec(c, sql + ")");
  }
  for (int r = 0; r < size.relationships; ++r) {
    Exec(c, "ALTER TABLE " + Table(r * 2 + 1) + " ADD CONSTRAINT [R" + std::to_string(r) +
                "] FOREIGN KEY ([Ref]) REFERENCES " + Table(r * 2));
  }
  ChangeList changes;
  for (int q = 0; q < size.queries; ++q) {
    dbaccess::CreateQueryDef(c, "Запрос " + std::to_string(q), "SELECT *\r\nFROM " + Table(q) + ";",
                             changes);
  }
  return c;
}

Catalog& Small() {
  static Catalog c = Build(kSmall);
  return c;
}
Catalog& Large() {
  static Catalog c = Build(kLarge);
  return c;
}

// Runs `work` on the small and on the large catalog in each iteration and reports how
// much longer the large one took.
template <typename Work>
void Compare(benchmark::State& state, Work work, double per_small = 1, double per_large = 1) {
  double small_ns = 0, large_ns = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    work(Small(), kSmall);
    const auto t1 = Clock::now();
    work(Large(), kLarge);
    const auto t2 = Clock::now();
    small_ns += std::chrono::duration<double, std::nano>(t1 - t0).count();
    large_ns += std::chrono::duration<double, std::nano>(t2 - t1).count();
  }
  state.counters["large/small"] = (large_ns / per_large) / (small_ns / per_small);
}

void BM_AddAndDropColumn(benchmark::State& state) {
  Compare(state, [](Catalog& c, const Size& s) {
    const std::string t = Table(s.tables / 2);
    Exec(c, "ALTER TABLE " + t + " ADD [Extra] Text(10) NOT NULL DEFAULT 'x'");
    Exec(c, "ALTER TABLE " + t + " DROP COLUMN [Extra]");
  });
}

void BM_CreateAndDropTable(benchmark::State& state) {
  Compare(state, [](Catalog& c, const Size& s) {
    Exec(c, "CREATE TABLE [New] ([ID] Long PRIMARY KEY, [Ref] Long REFERENCES " +
                Table(s.tables - 1) + ")");
    Exec(c, "ALTER TABLE [New] DROP CONSTRAINT [Таблица " + std::to_string(s.tables - 1) + "New]");
    Exec(c, "DROP TABLE [New]");
  });
}

void BM_AddAndDropRelationship(benchmark::State& state) {
  Compare(state, [](Catalog& c, const Size& s) {
    const std::string t = Table(s.tables - 1);
    Exec(c, "ALTER TABLE " + t + " ADD CONSTRAINT [Extra] FOREIGN KEY ([Ref]) REFERENCES " +
                Table(s.tables - 2));
    Exec(c, "ALTER TABLE " + t + " DROP CONSTRAINT [Extra]");
  });
}

void BM_CreateAndDropIndex(benchmark::State& state) {
  Compare(state, [](Catalog& c, const Size&) {
    Exec(c, "CREATE UNIQUE INDEX [Extra] ON " + Table(0) + " ([Поле 3], [Поле 4])");
    Exec(c, "DROP INDEX [Extra] ON " + Table(0));
  });
}

void BM_AlterColumnAndRenameIt(benchmark::State& state) {
  Compare(state, [](Catalog& c, const Size& s) {
    const std::string t = "Таблица " + std::to_string(s.tables - 1);
    ChangeList changes;
    Exec(c, "ALTER TABLE [" + t + "] ALTER COLUMN [Поле 3] Memo");
    dbaccess::RenameColumn(c, t, "Поле 3", "Renamed", changes);
    dbaccess::RenameColumn(c, t, "Renamed", "Поле 3", changes);
    Exec(c, "ALTER TABLE [" + t + "] ALTER COLUMN [Поле 3] Text(50)");
  });
}

void BM_CreateAndDeleteQuery(benchmark::State& state) {
  Compare(state, [](Catalog& c, const Size&) {
    ChangeList changes;
    dbaccess::CreateQueryDef(c, "Extra", "SELECT 1;", changes);
    dbaccess::DeleteQueryDef(c, "Extra", changes);
  });
}

// Whole databases: time per field, large against small.
constexpr double kSmallColumns = kSmall.tables * kColumns;
constexpr double kLargeColumns = kLarge.tables * kColumns;

void BM_WriteScript(benchmark::State& state) {
  Compare(
      state, [](Catalog& c, const Size&) { benchmark::DoNotOptimize(dbaccess::WriteScript(c)); },
      kSmallColumns, kLargeColumns);
}

void BM_ReadScript(benchmark::State& state) {
  static const std::string small = dbaccess::WriteScript(Small());
  static const std::string large = dbaccess::WriteScript(Large());
  Compare(
      state,
      [](Catalog&, const Size& s) {
        benchmark::DoNotOptimize(dbaccess::ReadScript(s.tables == kSmall.tables ? small : large));
      },
      kSmallColumns, kLargeColumns);
}

// A statement applied to a database file: copy, execute, write the whole file atomically.
void BM_ApplyToFile(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "skarnvel-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const auto make = [&](const char* name, const Catalog& c) {
    const std::string path = (folder / name).string();
    dbaccess::DatabaseFile::CreateText(path, "");
    auto file = dbaccess::DatabaseFile::Open(path, "");
    file->Apply([&c](Catalog& target, ChangeList&) { target = c; });
    return file;
  };
  auto small = make("small.sdb", Small());
  auto large = make("large.sdb", Large());
  Compare(
      state,
      [&](Catalog&, const Size& s) {
        auto& file = s.tables == kSmall.tables ? small : large;
        file->Apply([](Catalog& c, ChangeList& changes) {
          dbaccess::ExecuteSql(c, "CREATE TABLE [X] ([a] Long)", changes);
        });
        file->Apply([](Catalog& c, ChangeList& changes) {
          dbaccess::ExecuteSql(c, "DROP TABLE [X]", changes);
        });
      },
      kSmallColumns, kLargeColumns);
  small.reset();
  large.reset();
  std::filesystem::remove_all(folder);
}

BENCHMARK(BM_AddAndDropColumn);
BENCHMARK(BM_CreateAndDropTable);
BENCHMARK(BM_AddAndDropRelationship);
BENCHMARK(BM_CreateAndDropIndex);
BENCHMARK(BM_AlterColumnAndRenameIt);
BENCHMARK(BM_CreateAndDeleteQuery);
BENCHMARK(BM_WriteScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyToFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
