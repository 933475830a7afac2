#include "dbaccess/storage/text/text_script.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "dbaccess/exec/executor_testing.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;
using testing::Database;

Catalog RoundTrip(const Catalog& c) {
  const std::string script = WriteScript(c);
  Catalog back;
  try {
    back = ReadScript(script);
  } catch (const JetError& e) {
    ADD_FAILURE() << e.what() << "\n" << script;
  }
  EXPECT_EQ(WriteScript(back), script);
  return back;
}

// Cells equal bit for bit (NaN equals itself, -0 differs from 0).
bool SameBits(const Cell& a, const Cell& b) {
  if (a.index() != b.index()) return false;
  if (const auto* x = std::get_if<double>(&a)) {
    return std::bit_cast<uint64_t>(*x) == std::bit_cast<uint64_t>(std::get<double>(b));
  }
  return a == b;
}

TEST(TextScriptTest, StructureRoundTripsExactly) {
  Catalog c = Database({
      "CREATE TABLE [Клиенты] ([Код] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY, "
      "[Имя] Text(50) NOT NULL DEFAULT \"?\", [Note] Memo, [Born] DateTime DEFAULT Now(), "
      "[Flag] Bit DEFAULT -1, [Ratio] IEEESingle, [Big] IEEEDouble DEFAULT 1.5E+300, "
      "[Money] Currency DEFAULT 0, [Dec] Decimal(12,3) DEFAULT 'a;b', [Id] GUID, "
      "[Pic] LongBinary, [Raw] Binary(8), [Tiny] Byte, [Small] Short)",
      "CREATE TABLE [Order Details] ([No] Long NOT NULL, [Line] Short NOT NULL, "
      "[Client] Long, [Parent] Long, [Qty] Long DEFAULT (1 + 2) * 3)",
      "CREATE UNIQUE INDEX [pk] ON [Order Details] ([No], [Line] DESC) WITH PRIMARY",
      "CREATE INDEX [ByClient] ON [Order Details] ([Client]) WITH IGNORE NULL",
      "CREATE UNIQUE INDEX [uq] ON [Клиенты] ([Имя], [Born]) WITH DISALLOW NULL",
      "ALTER TABLE [Order Details] ADD CONSTRAINT [rc] FOREIGN KEY ([Client]) "
      "REFERENCES [Клиенты] ON UPDATE CASCADE ON DELETE SET NULL",
      "CREATE INDEX [Later] ON [Order Details] ([Qty])",
      "ALTER TABLE [Order Details] ADD CONSTRAINT [self] FOREIGN KEY ([Parent], [Line]) "
      "REFERENCES [Order Details] ([No], [Line])",
  });
  ChangeList changes;
  CreateQueryDef(c, "Все клиенты", "SELECT * FROM Клиенты;", changes);
  // What Jet SQL cannot say: other table kinds, column properties, relationships without
  // integrity, SET DEFAULT, AutoNumbers of other types, defaults that are no expression.
  Table* t = c.FindTable("Клиенты");
  t->columns[1].extra_properties["Description"] = "Full name\r\n'quoted' \"too\"";
  t->columns[1].extra_properties["Format"] = ">";
  t->columns[9].auto_increment = true;
  t->columns[2].default_value = "=Date() & \"x";
  t->columns[3].default_value = "";
  t->columns[12].default_value = " 1";
  t->columns[13].default_value = "1\t--2";
  c.FindTable("Order Details")->kind = TableKind::kAccessSystem;
  Relationship loose;
  loose.name = "loose";
  loose.primary_table = "Клиенты";
  loose.primary_columns = {"Small"};  // not indexed: a relationship without integrity
  loose.foreign_table = "Order Details";
  loose.foreign_columns = {"Line"};
  loose.update_rule = Rule::kSetDefault;
  loose.enforced = false;
  c.AddRelationship(loose);

  const Catalog back = RoundTrip(c);
  EXPECT_TRUE(back == c);
  // The hidden indexes of relationships stay after a table's own indexes.
  const Table& details = *back.FindTable("order details");
  ASSERT_EQ(details.indexes.size(), 5u);
  EXPECT_EQ(details.indexes[2].name, "Later");
  EXPECT_TRUE(details.indexes[3].foreign);
}

TEST(TextScriptTest, QueryTextsOfAnyKindRoundTrip) {
  const std::string texts[] = {
      "SELECT *\r\nFROM T\r\nWHERE a = 'x;y';\r\n",
      "SELECT \"it's\", 'say \"hi\"'\n;\n;",
      "\tindented\t\ttabs   trailing blanks   ",
      "-- not a comment\r\n/* nor this */",
      "';\nDROP TABLE Клиенты;--",
      "",
      " ",
      "\r\r\n\n",
      std::string("nul\0inside", 10),
      "Unicode: Ωμέγα, 日本語, 😀",
      "Chr(13) & 'literal'",
      "ends with a quote'",
  };
  Catalog c;
  ChangeList changes;
  int n = 0;
  for (const std::string& text : texts) CreateQueryDef(c, "Q" + std::to_string(++n), text, changes);
  const Catalog back = RoundTrip(c);
  ASSERT_EQ(back.queries().size(), std::size(texts));
  for (size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(back.queries()[i].sql, texts[i]);
  // Every statement of the script ends its line with ";" and no raw control character is
  // written but line feeds.
  const std::string script = WriteScript(c);
  for (char ch : script) {
    EXPECT_FALSE(static_cast<unsigned char>(ch) < 0x20 && ch != '\n') << int(ch);
  }
}

TEST(TextScriptTest, EveryTypeOfValueRoundTripsBitForBit) {
  Catalog c = Database({
      "CREATE TABLE V (b Bit, y Byte, s Short, l Long, n COUNTER, f IEEESingle, d IEEEDouble, "
      "m Currency, t DateTime, x Text(255), memo Memo, g GUID, dec Decimal(28,10), "
      "bin Binary(255), ole LongBinary)",
  });
  Table& v = *c.FindTable("V");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const auto bits = [](uint64_t b) { return std::bit_cast<double>(b); };
  const std::vector<Row> rows = {
      {true, int64_t{0}, int64_t{-32768}, int64_t{-2147483648LL}, int64_t{1},
       static_cast<double>(0.1f), 0.1, int64_t{std::numeric_limits<int64_t>::max()}, 44198.5,
       std::string("it's \"quoted\"; -- not a comment"),
       std::string("line 1\r\nline 2\n\ttab \x01\x7F end  "),
       std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
       std::string("-123456789012345678.0123456789"), Bytes{{0, 1, 0xFF, '\'', '\n'}}, Bytes{{}}},
      {false, int64_t{255}, int64_t{32767}, int64_t{2147483647}, int64_t{2},
       static_cast<double>(-std::numeric_limits<float>::denorm_min()), -0.0,
       int64_t{std::numeric_limits<int64_t>::min()}, -1.25, std::string(),
       std::string("Ünïcödé Кириллица 😀"), std::monostate(), std::string("0.0000000000"), Bytes{{}},
       Bytes{std::vector<uint8_t>(1000, 0xAB)}},
      {false, std::monostate(), std::monostate(), std::monostate(), int64_t{7},
       static_cast<double>(std::numeric_limits<float>::quiet_NaN()), nan, int64_t{-1},
       44198.0 + 1.0 / 7, std::monostate(), std::string(""), std::monostate(), std::monostate(),
       std::monostate(), std::monostate()},
      {true, int64_t{1}, int64_t{1}, int64_t{1}, int64_t{8},
       static_cast<double>(std::numeric_limits<float>::infinity()), 5e-324, int64_t{1}, -0.0,
       std::string(" "), std::monostate(), std::monostate(), std::monostate(), std::monostate(),
       std::monostate()},
      {true, int64_t{1}, int64_t{1}, int64_t{1}, int64_t{9}, 3.4028234663852886e38, inf, int64_t{5},
       nan, std::string("x"), std::monostate(), std::monostate(), std::monostate(),
       std::monostate(), std::monostate()},
      {true, int64_t{1}, int64_t{1}, int64_t{1}, int64_t{10}, 1.0, -inf, int64_t{5}, 1e7,
       std::string("y"), std::monostate(), std::monostate(), std::monostate(), std::monostate(),
       std::monostate()},
      {true, int64_t{1}, int64_t{1}, int64_t{1}, int64_t{11}, 1.0, bits(0x7FF0000000000123),
       int64_t{5}, bits(0x3FF0000000000001), std::string("z"), std::monostate(), std::monostate(),
       std::monostate(), std::monostate(), std::monostate()},
  };
  v.rows = rows;
  const Catalog back = RoundTrip(c);
  const Table& w = *back.FindTable("V");
  ASSERT_EQ(w.rows.size(), rows.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t i = 0; i < rows[r].size(); ++i) {
      EXPECT_TRUE(SameBits(w.rows[r][i], rows[r][i]))
          << "row " << r << " column " << v.columns[i].name;
    }
  }
  // Dates with whole seconds are written as date literals.
  EXPECT_NE(WriteScript(c).find("#2021-01-02 12:00:00#"), std::string::npos);
  EXPECT_NE(WriteScript(c).find("CDate(44198.142857142855)"), std::string::npos);
}

TEST(TextScriptTest, WritesAReadableForm) {
  Catalog c = Database({
      "CREATE TABLE Customers (ID COUNTER PRIMARY KEY, Name Text(50) NOT NULL DEFAULT \"?\")",
      "CREATE TABLE Orders (No Long, Customer Long REFERENCES Customers)",
      "INSERT INTO Customers (Name) VALUES ('Ann')",
  });
  ChangeList changes;
  CreateQueryDef(c, "Q", "SELECT *\r\nFROM Customers;", changes);
  EXPECT_EQ(WriteScript(c),
            "-- Skarnvel text database 2\n"
            "\n-- Tables\n"
            "CREATE TABLE [Customers] (\n"
            "  [ID] COUNTER,\n"
            "  [Name] Text(50) NOT NULL DEFAULT \"?\"\n"
            ");\n"
            "CREATE TABLE [Orders] (\n"
            "  [No] Long,\n"
            "  [Customer] Long\n"
            ");\n"
            "\n-- Indexes\n"
            "CREATE UNIQUE INDEX [PrimaryKey] ON [Customers] ([ID]) WITH PRIMARY;\n"
            "\n-- Relationships\n"
            "ALTER TABLE [Orders] ADD CONSTRAINT [CustomersOrders] FOREIGN KEY ([Customer])\n"
            "  REFERENCES [Customers] ([ID]) ON UPDATE NO ACTION ON DELETE NO ACTION;\n"
            "\n-- Queries\n"
            "CREATE QUERYDEF [Q] AS 'SELECT *' & Chr(13) & Chr(10)\n"
            "  & 'FROM Customers;';\n"
            "\n-- Rows of [Customers]\n"
            "INSERT INTO [Customers] ([ID], [Name]) VALUES (1, 'Ann');\n"
            "\n-- End of Skarnvel text database\n");
  EXPECT_EQ(WriteScript(Catalog()),
            "-- Skarnvel text database 2\n\n-- End of Skarnvel text database\n");
}

TEST(TextScriptTest, ReadingFailuresNameTheLine) {
  const auto caught = CatchJetError([] {
    ReadScript(
        "-- Skarnvel text database 1\nCREATE TABLE T (a Long);\n\nCREATE TABLE t (b Long);\n");
  });
  EXPECT_EQ(caught.number, 3010);
  EXPECT_EQ(caught.text, "Line 4 of the database script: Table 't' already exists.");
  EXPECT_EQ(CatchJetError([] { ReadScript("CREATE TABLE T (a Long)\n"); }).text,
            "Line 1 of the database script: Syntax error in CREATE TABLE statement.");
  EXPECT_EQ(CatchJetError([] {
              ReadScript("CREATE TABLE T (a Long);\nINSERT INTO T VALUES ('x');");
            }).number,
            3464);
  // Rows load as they stand: a script may hold what Jet let into a file.
  const Catalog c = ReadScript(
      "CREATE TABLE T (a Long NOT NULL, b Long);\nCREATE UNIQUE INDEX u ON T (b);\n"
      "INSERT INTO T VALUES (Null, 1);\nINSERT INTO T VALUES (2, 1);\n");
  EXPECT_EQ(c.FindTable("T")->rows.size(), 2u);
  // A name no brackets can hold is refused when written.
  Catalog odd;
  Table bad;
  bad.name = "a]b";
  odd.AddTable(bad);
  EXPECT_EQ(CatchJetError([&] { WriteScript(odd); }).number, 3125);
}

TEST(TextScriptTest, ReadsWhatEditorsMakeOfTheFile) {
  Catalog c = testing::Database({"CREATE TABLE T (a Text(5), b Memo)"});
  c.FindTable("T")->rows.push_back({std::string("x"), std::string("1\r\n2")});
  ChangeList changes;
  CreateQueryDef(c, "Q", "SELECT *\r\nFROM T;", changes);
  std::string windows;
  for (char ch : WriteScript(c)) windows += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  EXPECT_TRUE(ReadScript("\xEF\xBB\xBF" + windows) == c);
}

// A script cut off anywhere reads or fails with Jet's error, never otherwise.
TEST(TextScriptTest, EveryTruncatedScriptReadsOrFailsCleanly) {
  Catalog c = testing::Database({
      "CREATE TABLE P (id COUNTER PRIMARY KEY, t Text(9) DEFAULT 'x', d DateTime, b Binary(4))",
      "CREATE TABLE F (p Long REFERENCES P, m Memo)",
      "INSERT INTO P (t, d, b) VALUES ('a''b', #2021-01-02 03:04:05#, 0x00FF)",
      "INSERT INTO F VALUES (1, 'line' & Chr(10) & 'two')",
  });
  ChangeList changes;
  CreateQueryDef(c, "Q", "SELECT *\r\nFROM P;", changes);
  const std::string script = WriteScript(c);
  for (size_t n = 0; n <= script.size(); ++n) {
    try {
      ReadScript(std::string_view(script).substr(0, n));
    } catch (const JetError&) {
    } catch (...) {
      ADD_FAILURE() << "not a JetError at " << n;
    }
  }
}

TEST(TextScriptTest, AutoNumbersCountOnWhenScriptsLeaveThemOut) {
  const Catalog c = ReadScript(
      "CREATE TABLE T (id COUNTER, a Text(5));\n"
      "INSERT INTO T (a) VALUES ('x');\nINSERT INTO T (id, a) VALUES (10, 'y');\n"
      "INSERT INTO T (a) VALUES ('z');\n");
  const Table& t = *c.FindTable("T");
  EXPECT_EQ(t.rows[0][0], Cell(int64_t{1}));
  EXPECT_EQ(t.rows[2][0], Cell(int64_t{11}));
}

}  // namespace
}  // namespace dbaccess
