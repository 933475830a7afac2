#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "engine/compare_tables.h"
#include "engine/database_testing.h"
#include "engine/fake_schema_testing.h"
#include "engine/result_lines_testing.h"
#include "engine/result_texts.h"
#include "engine/snapshot.h"

namespace uAlg {
namespace {

using dbaccess::JetError;
using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Names(const TTables& tables) {
  std::vector<std::string> names;
  for (const TTable& t : tables) names.push_back(t.Name);
  return names;
}
std::vector<std::string> Names(const TTable& table) {
  std::vector<std::string> names;
  for (const TField& f : table.Fields) names.push_back(f.Name);
  return names;
}
const TField& FieldOf(const TTables& tables, const std::string& table, const std::string& field) {
  for (const TTable& t : tables) {
    if (t.Name != table) continue;
    for (const TField& f : t.Fields) {
      if (f.Name == field) return f;
    }
  }
  throw std::out_of_range(table + "." + field);
}

// --- The walk over the rowsets, on rowsets built in memory.

TEST(ReadTablesTest, KeepsUserTablesInDeliveryOrderAndSortsColumnsByPosition) {
  testing::FakeSchema schema;
  schema.AddTable("Zeta");
  schema.AddTable("MSysObjects", "SYSTEM TABLE");
  schema.AddTable("qActive", "VIEW");
  schema.AddTable("Alpha");
  const Variant null = Variant::Null();
  for (int position : {3, 1, 2}) {
    schema.AddColumn("Zeta",
                     {Variant::Text("c" + std::to_string(position)), Variant::Integer(position),
                      Variant::Integer(3), null, Variant::Boolean(true), null});
  }
  const TTables snapshot = ReadTables(schema);
  EXPECT_THAT(Names(snapshot), ElementsAre("Zeta", "Alpha"));
  EXPECT_THAT(Names(snapshot[0]), ElementsAre("c1", "c2", "c3"));
  EXPECT_THAT(snapshot[1].Fields, IsEmpty());
  const TTables nothing = ReadTables(*std::make_unique<testing::FakeSchema>());
  EXPECT_THAT(nothing, IsEmpty());
}

TEST(ReadTablesTest, FillsTheFivePropertiesFromTheColumnRow) {
  testing::FakeSchema schema;
  schema.AddTable("Orders");
  const Variant null = Variant::Null();
  auto add = [&](const char* name, int pos, int type, Variant length, bool nullable, Variant def) {
    schema.AddColumn("Orders", {Variant::Text(name), Variant::Integer(pos), Variant::Integer(type),
                                length, Variant::Boolean(nullable), def});
  };
  add("Note", 1, 130, Variant::Integer(50), true, null);
  add("Qty", 2, 3, null, false, Variant::Text("0"));
  add("Odd", 3, 3, Variant::Integer(4), true, null);  // a length on a Long is not a size
  add("Guid", 4, 72, Variant::Integer(16), true, null);
  add("ВремЯ", 5, 7, null, true, Variant::Text("Now()"));
  add("Unknown", 6, 129, Variant::Integer(8), true, null);
  const TTables s = ReadTables(schema);

  const TField& note = FieldOf(s, "Orders", "Note");
  for (int k = 0; k < kPropCount; ++k) EXPECT_EQ(note.Props[k].Name, kPropNames[k]);
  EXPECT_EQ(note.Props[kOrdinalPositionProp].Value, Variant::Integer(1));
  EXPECT_EQ(note.Props[kTypeProp].Value, Variant::Text("Text"));
  EXPECT_EQ(note.Props[kSizeProp].Value, Variant::Integer(50));
  EXPECT_EQ(note.Props[kNotNullProp].Value, Variant::Boolean(false));
  EXPECT_TRUE(note.Props[kDefaultValueProp].Value.IsNull());

  const TField& qty = FieldOf(s, "Orders", "Qty");
  EXPECT_EQ(qty.Props[kTypeProp].Value, Variant::Text("Long"));
  EXPECT_TRUE(qty.Props[kSizeProp].Value.IsEmpty());
  EXPECT_EQ(qty.Props[kNotNullProp].Value, Variant::Boolean(true));
  EXPECT_EQ(qty.Props[kDefaultValueProp].Value, Variant::Text("0"));

  EXPECT_TRUE(FieldOf(s, "Orders", "Odd").Props[kSizeProp].Value.IsEmpty());
  const TField& guid = FieldOf(s, "Orders", "Guid");
  EXPECT_EQ(guid.Props[kTypeProp].Value, Variant::Text("GUID"));
  EXPECT_TRUE(guid.Props[kSizeProp].Value.IsEmpty());
  const TField& unknown = FieldOf(s, "Orders", "Unknown");
  EXPECT_EQ(unknown.Props[kTypeProp].Value, Variant::Text(""));
  EXPECT_TRUE(unknown.Props[kSizeProp].Value.IsEmpty());
  EXPECT_EQ(FieldOf(s, "Orders", "ВремЯ").Props[kDefaultValueProp].Value, Variant::Text("Now()"));
}

TEST(ReadTablesTest, KnowsExactlyTheTenTypeCodes) {
  const std::vector<std::pair<int, std::string>> known = {
      {2, "Short"},    {3, "Long"}, {4, "IEEESingle"}, {5, "IEEEDouble"},   {6, "Currency"},
      {7, "DateTime"}, {11, "Bit"}, {17, "Byte"},      {128, "LongBinary"}, {130, "Text"}};
  for (const auto& [code, name] : known) EXPECT_EQ(TypeName(code), name);
  for (int code : {0, 1, 8, 72, 131, 129, 200, -3}) EXPECT_EQ(TypeName(code), "") << code;
}

TEST(ReadTablesTest, AnErrorOfTheEnginePassesUnchanged) {
  testing::FakeSchema schema;
  schema.AddTable("A");
  schema.AddTable("B");
  schema.FailOnColumnsOf("B");
  try {
    ReadTables(schema);
    FAIL() << "no error";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3343);
    EXPECT_STREQ(e.what(), "Unrecognized database format.");
  }
}

// --- Through the engine, on databases built with Jet SQL.

class LoadTablesTest : public testing::TestDatabases {};

TEST_F(LoadTablesTest, AnEmptyDatabaseGivesAnEmptySnapshot) {
  EXPECT_THAT(LoadTables(Make("empty.mdb", {}), ""), IsEmpty());
}

TEST_F(LoadTablesTest, ReadsNamesTypesSizesRequiredFlagsAndDefaults) {
  const std::string path =
      Make("w.mdb", {"CREATE TABLE [Order Details] ([ID] COUNTER NOT NULL, [Note] TEXT(50), "
                     "[Qty] LONG NOT NULL DEFAULT 0, [When] DATETIME DEFAULT Now(), [Tag] GUID, "
                     "[Flag] BIT, [Price] CURRENCY, [Bin] LONGBINARY, [Small] SHORT, [B] BYTE, "
                     "[F] SINGLE, [D] DOUBLE)",
                     "CREATE TABLE [Заказы] ([Номер] LONG, [Имя] TEXT(20) DEFAULT \"Без имени\")"});
  const TTables s = LoadTables(path, "");
  ASSERT_EQ(s.size(), 2u);
  const TTable& details = s[0].Name == "Order Details" ? s[0] : s[1];
  EXPECT_THAT(Names(details), ElementsAre("ID", "Note", "Qty", "When", "Tag", "Flag", "Price",
                                          "Bin", "Small", "B", "F", "D"));
  std::vector<std::string> types;
  for (const TField& f : details.Fields) types.push_back(f.Props[kTypeProp].Value.AsText());
  // The AutoNumber and the GUID column keep their types.
  EXPECT_THAT(types, ElementsAre("COUNTER", "Text", "Long", "DateTime", "GUID", "Bit", "Currency",
                                 "LongBinary", "Short", "Byte", "IEEESingle", "IEEEDouble"));
  for (size_t j = 0; j < details.Fields.size(); ++j) {
    EXPECT_EQ(details.Fields[j].Props[kOrdinalPositionProp].Value, Variant::Integer(j + 1));
  }
  const TField& note = FieldOf(s, "Order Details", "Note");
  EXPECT_EQ(note.Props[kSizeProp].Value, Variant::Integer(50));
  EXPECT_EQ(note.Props[kNotNullProp].Value, Variant::Boolean(false));
  EXPECT_TRUE(note.Props[kDefaultValueProp].Value.IsNull());
  const TField& qty = FieldOf(s, "Order Details", "Qty");
  EXPECT_TRUE(qty.Props[kSizeProp].Value.IsEmpty());
  EXPECT_EQ(qty.Props[kNotNullProp].Value, Variant::Boolean(true));
  EXPECT_EQ(qty.Props[kDefaultValueProp].Value, Variant::Text("0"));
  EXPECT_EQ(FieldOf(s, "Order Details", "When").Props[kDefaultValueProp].Value,
            Variant::Text("Now()"));
  EXPECT_TRUE(FieldOf(s, "Order Details", "Tag").Props[kSizeProp].Value.IsEmpty());
  EXPECT_EQ(FieldOf(s, "Заказы", "Имя").Props[kDefaultValueProp].Value,
            Variant::Text("\"Без имени\""));
}

TEST_F(LoadTablesTest, EveryTypeHasItsDdlNameAndATableOfThemCanBeCreated) {
  const std::string fresh =
      Make("n.mdb",
           {"CREATE TABLE [All] ([ID] COUNTER NOT NULL, [G] GUID, [D] DECIMAL(10,2), "
            "[E] NUMERIC, [B] BINARY(8), [VB] VARBINARY, [O] LONGBINARY, [M] MEMO, [T] TEXT(5))",
            "CREATE TABLE [Same] ([ID] LONG, [D] DECIMAL(10,2))"});
  const TTables s = LoadTables(fresh, "");
  const TTable& all = s[0];
  std::vector<std::string> types;
  for (const TField& f : all.Fields) {
    types.push_back(f.Props[kTypeProp].Value.AsText() + "/" +
                    f.Props[kSizeProp].Value.DisplayText());
  }
  EXPECT_THAT(types, ElementsAre("COUNTER/", "GUID/", "DECIMAL(10,2)/", "DECIMAL(18,0)/",
                                 "BINARY(8)/", "BINARY(255)/", "LongBinary/", "Text/0", "Text/5"));
  EXPECT_EQ(CreateTableSQL(all),
            "CREATE TABLE [All] (\r\n[ID] COUNTER NOT NULL,\r\n[G] GUID,\r\n[D] DECIMAL(10,2),"
            "\r\n[E] DECIMAL(18,0),\r\n[B] BINARY(8),\r\n[VB] BINARY(255),\r\n[O] LongBinary,"
            "\r\n[M] Text,\r\n[T] Text(5))");

  // The commands of the comparison create and change these types; afterwards nothing differs.
  const std::string working = Make("w.mdb", {"CREATE TABLE [Same] ([ID] LONG, [D] DECIMAL(8,1))"});
  const TResults results = CompareTables(working, fresh, "", "");
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].SQL, "ALTER TABLE [Same] ALTER COLUMN [D] DECIMAL(10,2)");
  Run(working, {results[0].SQL, results[1].SQL});
  EXPECT_THAT(CompareTables(working, fresh, "", ""), IsEmpty());
}

TEST_F(LoadTablesTest, OpensWithThePasswordAndPassesTheEnginesErrorsOn) {
  const std::string path = Make("secret.mdb", {"CREATE TABLE T (a LONG)"}, {}, "Пароль 1");
  EXPECT_THAT(Names(LoadTables(path, "Пароль 1")), ElementsAre("T"));
  try {
    LoadTables(path, "wrong");
    FAIL() << "no error";
  } catch (const JetError& e) {
    EXPECT_STREQ(e.what(), dbaccess::jet_errors::NotAValidPassword().what());
  }
  const std::string missing = Path("missing.mdb");
  try {
    CompareTables(path, missing, "Пароль 1", "");
    FAIL() << "no error";
  } catch (const JetError& e) {
    EXPECT_STREQ(e.what(), dbaccess::jet_errors::CouldNotFindFile(missing).what());
  }
}

TEST_F(LoadTablesTest, ComparesTwoDatabasesAndItsCommandsMakeThemAlike) {
  const std::string working =
      Make("w.mdb", {"CREATE TABLE ORDERS (ID LONG NOT NULL, Qty LONG, Note TEXT(20), "
                     "Gone TEXT(5) NOT NULL, Made DATETIME DEFAULT now())",
                     "CREATE TABLE Заказы (Код LONG)", "CREATE TABLE Old (X LONG)"});
  const std::string fresh =
      Make("n.mdb", {"CREATE TABLE [Order Details] ([Order] LONG NOT NULL, [Desc] TEXT(100))",
                     "CREATE TABLE Orders (id LONG NOT NULL, Qty TEXT(50), Note TEXT(20) NOT NULL "
                     "DEFAULT \"x\", Made DATETIME DEFAULT Now(), Extra BIT)",
                     "CREATE TABLE заказы (Код LONG)"});
  const TResults results = CompareTables(working, fresh, "", "");
  std::vector<std::string> lines;
  for (const TResult& r : results) {
    lines.push_back(r.Result + "|" + r.TableName + "|" + r.FieldName + "|" + r.PropName + "|" +
                    r.OldPropValue.DisplayText() + "|" + r.NewPropValue.DisplayText() + "|" +
                    r.SQL);
  }
  const std::string qty = "ALTER TABLE [ORDERS] ALTER COLUMN [Qty] Text(50)";
  const std::string note =
      "ALTER TABLE [ORDERS] ALTER COLUMN [Note] Text(20) NOT NULL DEFAULT \"x\"";
  const std::string made = "ALTER TABLE [ORDERS] ALTER COLUMN [Made] DateTime DEFAULT Now()";
  const std::string changed = S(kChangedFieldProps);
  // The tables rowset lists tables by name; the results follow that order.
  EXPECT_THAT(
      lines,
      ElementsAre(S(kDroppedTable) + "|Old|||||DROP TABLE [Old]",
                  changed + "|ORDERS|Qty|TYPE|Long|Text|" + qty,
                  changed + "|ORDERS|Qty|SIZE||50|" + qty,
                  changed + "|ORDERS|Note|NotNull|False|True|" + note,
                  changed + "|ORDERS|Note|DefaultValue||\"x\"|" + note,
                  S(kDroppedField) + "|ORDERS|Gone||||ALTER TABLE [ORDERS] DROP COLUMN [Gone]",
                  changed + "|ORDERS|Made|DefaultValue|now()|Now()|" + made,
                  S(kNewField) + "|Orders|Extra||||ALTER TABLE [Orders] ADD [Extra] Bit",
                  S(kDroppedTable) + "|Заказы|||||DROP TABLE [Заказы]",
                  S(kNewTable) + "|Order Details|||||CREATE TABLE [Order Details] (\r\n"
                                 "[Order] Long NOT NULL,\r\n[Desc] Text(100))",
                  S(kNewTable) + "|заказы|||||CREATE TABLE [заказы] (\r\n[Код] Long)"));

  // Each distinct command, run in order, brings the working database in line (the engine
  // layer folds Cyrillic like Jet, so the Заказы pair needs its drop before its create).
  std::vector<std::string> commands;
  for (const TResult& r : results) {
    if (commands.empty() || commands.back() != r.SQL) commands.push_back(r.SQL);
  }
  Run(working, commands);
  const TResults after = CompareTables(working, fresh, "", "");
  EXPECT_THAT(after, IsEmpty());
}

}  // namespace
}  // namespace uAlg
