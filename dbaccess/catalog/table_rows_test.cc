// Rows shared until changed, and loaded once when first needed.
#include "dbaccess/catalog/table_rows.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "dbaccess/catalog/catalog.h"

namespace dbaccess {
namespace {

Row One(int64_t v) { return Row{Cell{v}}; }

TEST(TableRowsTest, CopiesShareRowsUntilOneChangesThem) {
  Catalog catalog;
  Table table;
  table.name = "T";
  table.rows = {One(1), One(2)};
  catalog.AddTable(table);
  const Catalog copy = catalog;
  const Row* shared = &copy.FindTable("T")->rows.front();
  EXPECT_EQ(&catalog.FindTable("T")->rows.get().front(), shared);

  Table& changed = *catalog.FindTable("T");
  changed.rows.push_back(One(3));
  changed.rows[0] = One(10);
  EXPECT_EQ(copy.FindTable("T")->rows, (std::vector<Row>{One(1), One(2)}));
  EXPECT_EQ(changed.rows, (std::vector<Row>{One(10), One(2), One(3)}));
  EXPECT_EQ(&copy.FindTable("T")->rows.front(), shared);
  changed.rows.erase(changed.rows.begin() + 1);
  EXPECT_EQ(changed.rows, (std::vector<Row>{One(10), One(3)}));
  EXPECT_FALSE(*catalog.FindTable("T") == *copy.FindTable("T"));
}

TEST(TableRowsTest, ALoaderRunsOnceForEveryCopyAndAgainAfterItFailed) {
  int runs = 0;
  bool fail = true;
  TableRows lazy = TableRows::Lazy([&] {
    ++runs;
    if (fail) throw std::runtime_error("not now");
    return std::vector<Row>{One(7)};
  });
  const TableRows copy = lazy;
  EXPECT_FALSE(copy.loaded());
  EXPECT_THROW(copy.size(), std::runtime_error);
  EXPECT_FALSE(copy.loaded());
  fail = false;
  EXPECT_EQ(copy.size(), 1u);
  EXPECT_TRUE(lazy.loaded());
  EXPECT_EQ(lazy, copy);
  lazy.push_back(One(8));  // its own rows now
  EXPECT_EQ(copy, (std::vector<Row>{One(7)}));
  EXPECT_EQ(lazy.size(), 2u);
  EXPECT_EQ(runs, 2);
  TableRows empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty, TableRows(std::vector<Row>{}));
}

// Streamed rows are visited without being kept until something needs them whole; rows mapped
// from them stay a stream over them, and a map that throws leaves them as they were.
TEST(TableRowsTest, StreamedAndMappedRowsAreVisitedWithoutBeingKept) {
  int streams = 0;
  const TableRows streamed = TableRows::Streamed([&](const TableRows::Visitor& visit) {
    ++streams;
    for (int64_t v = 1; v <= 3; ++v) visit(One(v));
  });
  const TableRows doubled = TableRows::Mapped(
      streamed, [](const Row& row) { return One(std::get<int64_t>(row[0]) * 2); });
  std::vector<Row> seen;
  doubled.ForEach([&](const Row& row) { seen.push_back(row); });
  doubled.ForEach([&](const Row& row) { seen.push_back(row); });
  EXPECT_EQ(seen, (std::vector<Row>{One(2), One(4), One(6), One(2), One(4), One(6)}));
  EXPECT_EQ(streams, 2);
  EXPECT_FALSE(streamed.loaded());
  EXPECT_FALSE(doubled.loaded());

  const TableRows refusing = TableRows::Mapped(doubled, [](const Row& row) {
    if (std::get<int64_t>(row[0]) > 4) throw std::runtime_error("too big");
    return row;
  });
  EXPECT_THROW(refusing.size(), std::runtime_error);
  EXPECT_FALSE(refusing.loaded());

  EXPECT_EQ(doubled.size(), 3u);  // kept now: visited from memory
  EXPECT_TRUE(doubled.loaded());
  EXPECT_EQ(streams, 4);
  seen.clear();
  doubled.ForEach([&](const Row& row) { seen.push_back(row); });
  EXPECT_EQ(seen, (std::vector<Row>{One(2), One(4), One(6)}));
  EXPECT_EQ(streams, 4);
  TableRows changed = doubled;
  changed.push_back(One(8));
  EXPECT_EQ(changed.size(), 4u);
  EXPECT_EQ(doubled.size(), 3u);
}

// A chain of maps over rows not kept stays a stream up to its limit; the next map works the
// rows out at once, so that a long run of changes does not pass every row through them all.
TEST(TableRowsTest, ALongChainOfMapsIsWorkedOutOnce) {
  int streams = 0;
  TableRows rows = TableRows::Streamed([&](const TableRows::Visitor& visit) {
    ++streams;
    visit(One(1));
  });
  const auto plus_one = [](const Row& row) { return One(std::get<int64_t>(row[0]) + 1); };
  for (size_t i = 0; i < TableRows::kMaxMappedDepth; ++i) {
    rows = TableRows::Mapped(rows, plus_one);
    EXPECT_FALSE(rows.loaded());
  }
  EXPECT_EQ(streams, 0);
  rows = TableRows::Mapped(rows, plus_one);
  EXPECT_TRUE(rows.loaded());
  EXPECT_EQ(streams, 1);
  EXPECT_EQ(rows, (std::vector<Row>{One(6)}));
}

}  // namespace
}  // namespace dbaccess
