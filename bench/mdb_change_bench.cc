// Changes of Jet 4 files as a user makes them, each a skarnvel-cli process from its start to
// its exit, against like processes in the same run:
//  - one DDL statement (a column added to a table of 10,000 rows) in a database of about
//    20 MB and in one of about 200 MB, the same table, the rest of the file other tables:
//    the ratio of the two times says whether the cost follows the table (1.0) or the file;
//  - `sync` of two generated databases of 2,000 tables each (the new one with columns,
//    indexes and tables added) against the same `sync` on their text-storage twins;
//  - one ALTER COLUMN (a text column made wider, every value converted) of a table of
//    1,000,000 rows against the same of one of 100,000 rows: the time per row of the two
//    (linear: 1.0) and the peak memory of each process, per row.
// The databases are generated through the page writer; every timed run works on a fresh copy
// (the copy not timed).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "bench/mdb_columns.h"
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
using bench::Column;
using dbaccess::Cell;

constexpr int kTableRows = 10000;
constexpr int kFillerRows = 20000;  // about 10 MB a filler table
constexpr int kSyncTables = 2000;

// Fills the table at `page` with `rows` rows of `make`.
template <typename F>
void Fill(PageWriter& pages, uint32_t page, const std::string& name, int rows, F make) {
  TableEditor table(pages, page, name);
  for (int i = 0; i < rows; ++i) table.Insert(make(i));
  table.Save();
}

// A new database at `path` holding the Orders table of `rows` rows, with a primary key.
void MakeOrdersDatabase(const std::string& path, int rows) {
  fs::remove(path);
  CreateDatabaseFile(path, "");
  PageFile file(MemorySource(dbaccess::ReadWholeFile(path)));
  PageWriter pages(file, path);
  TableDescription orders;
  orders.name = "Orders";
  orders.columns = {Column("Id", kTypeLong), Column("Customer", kTypeText, 50),
                    Column("Amount", kTypeDouble)};
  orders.indexes.push_back({.name = "PrimaryKey", .columns = {{"Id"}}, .primary = true});
  const uint32_t page = CreateTable(pages, orders, 45000.5);
  Fill(pages, page, "Orders", rows, [](int i) {
    return dbaccess::Row{Cell{int64_t{i}}, Cell{"Customer " + std::to_string(i % 500)},
                         Cell{i * 1.5}};
  });
  pages.Commit();
}

// A database of the Orders table and as many filler tables as make it `megabytes` large.
void MakeSizedDatabase(const std::string& path, int megabytes) {
  MakeOrdersDatabase(path, kTableRows);
  for (int k = 0; static_cast<int>(fs::file_size(path) / 1000000) < megabytes; ++k) {
    PageFile file(MemorySource(dbaccess::ReadWholeFile(path)));
    PageWriter pages(file, path);
    TableDescription filler;
    filler.name = "Filler" + std::to_string(k);
    filler.columns = {Column("Id", kTypeLong), Column("Text", kTypeText, 255)};
    const uint32_t page = CreateTable(pages, filler, 45000.5);
    Fill(pages, page, filler.name, kFillerRows, [](int i) {
      return dbaccess::Row{Cell{int64_t{i}},
                           Cell{std::string(240, static_cast<char>('a' + i % 26))}};
    });
    pages.Commit();
  }
}

// A copy of `source` at `copy`, on the disk before anything is timed: a commit's flush must not
// write the copy's own pages.
void FreshCopy(const std::string& source, const std::string& copy) {
  fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
  const int fd = ::open(copy.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

fs::path Folder(const char* name) {
  const fs::path folder = fs::temp_directory_path() / name;
  fs::create_directories(folder);
  return folder;
}

void BM_DdlCostFollowsTheTable(benchmark::State& state) {
  const fs::path folder = Folder("skarnvel-change-bench");
  const std::string small = (folder / "small.mdb").string(),
                    large = (folder / "large.mdb").string();
  MakeSizedDatabase(small, 20);
  MakeSizedDatabase(large, 200);
  double small_s = 0, large_s = 0;
  int n = 0;
  for (auto _ : state) {
    // In turn the one first and the other: what one run leaves the disk doing weighs on both.
    const bool small_first = n % 2 == 0;
    for (const auto& [source, total] :
         {std::pair{small_first ? small : large, small_first ? &small_s : &large_s},
          std::pair{small_first ? large : small, small_first ? &large_s : &small_s}}) {
      state.PauseTiming();
      const std::string copy = source + ".copy";
      FreshCopy(source, copy);
      state.ResumeTiming();
      const double s = bench::SpawnSeconds(
          {SKARNVEL_CLI, "exec", copy, "ALTER TABLE Orders ADD COLUMN Extra LONG"});
      if (s < 0) {
        state.SkipWithError("the statement failed");
        return;
      }
      *total += s;
    }
    ++n;
  }
  state.counters["small_MB"] = static_cast<double>(fs::file_size(small)) / 1e6;
  state.counters["large_MB"] = static_cast<double>(fs::file_size(large)) / 1e6;
  state.counters["ms_small"] = small_s / n * 1e3;
  state.counters["ms_large"] = large_s / n * 1e3;
  state.counters["large_vs_small"] = large_s / small_s;
  fs::remove_all(folder);
}
BENCHMARK(BM_DdlCostFollowsTheTable)->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_AlterColumnPerRow(benchmark::State& state) {
  constexpr int kSmallRows = 100000, kLargeRows = 1000000;
  const fs::path folder = Folder("skarnvel-alter-bench");
  const std::string small = (folder / "small.mdb").string(),
                    large = (folder / "large.mdb").string();
  MakeOrdersDatabase(small, kSmallRows);
  MakeOrdersDatabase(large, kLargeRows);
  double small_s = 0, large_s = 0;
  long small_peak = 0, large_peak = 0;
  int n = 0;
  for (auto _ : state) {
    for (const auto& [source, total, peak] :
         {std::tuple{small, &small_s, &small_peak}, std::tuple{large, &large_s, &large_peak}}) {
      state.PauseTiming();
      const std::string copy = source + ".copy";
      FreshCopy(source, copy);
      state.ResumeTiming();
      const std::vector<std::string> args = {SKARNVEL_CLI, "exec", copy,
                                             "ALTER TABLE Orders ALTER COLUMN Customer TEXT(80)"};
      const auto start = std::chrono::steady_clock::now();
      const long bytes = bench::SpawnPeakMemory(args);
      *total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (bytes < 0) {
        state.SkipWithError("the statement failed");
        return;
      }
      *peak = std::max(*peak, bytes);
    }
    ++n;
  }
  state.counters["us_per_row_100k"] = small_s / n / kSmallRows * 1e6;
  state.counters["us_per_row_1M"] = large_s / n / kLargeRows * 1e6;
  state.counters["per_row_1M_vs_100k"] = (large_s / kLargeRows) / (small_s / kSmallRows);
  state.counters["peak_MB_100k"] = static_cast<double>(small_peak) / 1e6;
  state.counters["peak_MB_1M"] = static_cast<double>(large_peak) / 1e6;
  state.counters["peak_bytes_per_row_1M"] = static_cast<double>(large_peak) / kLargeRows;
  fs::remove_all(folder);
}
BENCHMARK(BM_AlterColumnPerRow)->Unit(benchmark::kMillisecond)->Iterations(2);

// Two databases of kSyncTables tables; the new one has a column more in every tenth table, an
// index more in every twentieth and ten tables more.
void MakeSyncPair(const std::string& work, const std::string& wanted) {
  for (const std::string& path : {work, wanted}) {
    const bool is_new = path == wanted;
    fs::remove(path);
    CreateDatabaseFile(path, "");
    PageFile file(MemorySource(dbaccess::ReadWholeFile(path)));
    PageWriter pages(file, path);
    const int tables = kSyncTables + (is_new ? 10 : 0);
    for (int t = 0; t < tables; ++t) {
      TableDescription table;
      table.name = "T" + std::to_string(t);
      table.columns = {Column("Id", kTypeLong), Column("Name", kTypeText, 50),
                       Column("Amount", kTypeMoney), Column("Made", kTypeDateTime)};
      if (is_new && t % 10 == 0) table.columns.push_back(Column("Added", kTypeLong));
      table.indexes.push_back({.name = "PrimaryKey", .columns = {{"Id"}}, .primary = true});
      if (is_new && t % 20 == 0) {
        table.indexes.push_back({.name = "ByName", .columns = {{"Name"}}, .unique = true});
      }
      CreateTable(pages, table, 45000.5);
    }
    pages.Commit();
  }
}

void BM_SyncAgainstTextTwins(benchmark::State& state) {
  const fs::path folder = Folder("skarnvel-sync-bench");
  const std::string work = (folder / "work.mdb").string(), wanted = (folder / "new.mdb").string();
  MakeSyncPair(work, wanted);
  const std::string work_text = (folder / "work.skdb").string();
  const std::string new_text = (folder / "new.skdb").string();
  std::string text;
  for (const auto& [from, to] : {std::pair{work, work_text}, std::pair{wanted, new_text}}) {
    text.clear();
    if (bench::Spawn({SKARNVEL_CLI, "schema", from}, &text) != 0) {
      state.SkipWithError("schema failed");
      return;
    }
    dbaccess::ReplaceFileAtomically(to, text);
  }
  const fs::path runs = folder / "runs";
  double mdb_s = 0, text_s = 0;
  int n = 0;
  for (auto _ : state) {
    for (const auto& [source, other, total, ext] :
         {std::tuple{work, wanted, &mdb_s, ".mdb"},
          std::tuple{work_text, new_text, &text_s, ".skdb"}}) {
      state.PauseTiming();
      fs::remove_all(runs);
      fs::create_directories(runs);
      const std::string copy = (runs / (std::string("work") + ext)).string();
      FreshCopy(source, copy);
      state.ResumeTiming();
      const double s = bench::SpawnSeconds(
          {SKARNVEL_CLI, "sync", copy, other, "--no-backup", "--lists", runs.string()});
      if (s < 0) {
        state.SkipWithError("sync did not bring the database into line");
        return;
      }
      *total += s;
    }
    ++n;
  }
  state.counters["tables"] = kSyncTables;
  state.counters["s_mdb"] = mdb_s / n;
  state.counters["s_text"] = text_s / n;
  state.counters["mdb_vs_text"] = mdb_s / text_s;
  fs::remove_all(folder);
}
BENCHMARK(BM_SyncAgainstTextTwins)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
