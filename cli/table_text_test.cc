#include "cli/table_text.h"

#include <gtest/gtest.h>

#include <sstream>

#include "dbaccess/base/variant.h"

namespace cli {
namespace {

using dbaccess::Variant;

// Texts that are plain printable ASCII take a short way out; everything else must come out
// escaped exactly as the long way writes it.
TEST(TableTextTest, CellsAreWrittenEscapedWhateverWayTheyTake) {
  EXPECT_EQ(CellText(Variant::Null()), "\\N");
  EXPECT_EQ(CellText(Variant()), "");
  EXPECT_EQ(CellText(Variant::Boolean(true)), "True");
  EXPECT_EQ(CellText(Variant::Integer(-9223372036854775807 - 1)), "-9223372036854775808");
  EXPECT_EQ(CellText(Variant::Integer(0)), "0");
  EXPECT_EQ(CellText(Variant::Text("Orders (2024) ~ok")), "Orders (2024) ~ok");
  EXPECT_EQ(CellText(Variant::Text("C:\\data\\new.mdb")), "C:\\\\data\\\\new.mdb");
  EXPECT_EQ(CellText(Variant::Text("a\tb\r\nc")), "a\\tb\\r\\nc");
  EXPECT_EQ(CellText(Variant::Text("bell\x07 esc\x1B[2J del\x7F")),
            "bell\\x07 esc\\x1B[2J del\\x7F");
  EXPECT_EQ(CellText(Variant::Text("Заказы")), "Заказы");
  EXPECT_EQ(CellText(Variant::Text("bad\xFF byte, C1 \xC2\x9B")), "bad\\xFF byte, C1 \\x9B");
  EXPECT_EQ(CellText(Variant::Text("")), "");
}

// A streamed rowset comes out as the same rows in a recordset do, one line a row.
TEST(TableTextTest, StreamedRowsAreWrittenAsARecordsetIs) {
  const std::vector<std::string> names = {"NAME", "N", "FLAG"};
  const std::vector<std::vector<Variant>> rows = {
      {Variant::Text("a\tb"), Variant::Integer(7), Variant::Boolean(false)},
      {Variant::Text("Заказы"), Variant::Null(), Variant::Boolean(true)}};
  std::ostringstream streamed;
  TableTextWriter writer(streamed);
  writer.Columns(names);
  for (std::vector<Variant> row : rows) writer.Row(std::move(row));
  dbaccess::ado::Recordset recordset(names, rows);
  std::ostringstream whole;
  WriteRecordset(whole, recordset);
  EXPECT_EQ(streamed.str(), "NAME\tN\tFLAG\na\\tb\t7\tFalse\nЗаказы\t\\N\tTrue\n");
  EXPECT_EQ(streamed.str(), whole.str());
}

}  // namespace
}  // namespace cli
