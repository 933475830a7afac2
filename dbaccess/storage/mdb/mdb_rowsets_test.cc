// The four schema rowsets and DAO's reads on real .mdb files, as the real provider answers
// them: the faces the comparison engine uses, unchanged, over the .mdb storage.
#include <gtest/gtest.h>

#include <map>

#include "dbaccess/ado/connection.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using ado::Connection;
using ado::ConnectionText;
using ado::Recordset;

// Each row of a rowset as "FIELD=value" texts of the named fields.
std::vector<std::map<std::string, std::string>> Rows(Recordset rs,
                                                     const std::vector<std::string>& fields) {
  std::vector<std::map<std::string, std::string>> rows;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    std::map<std::string, std::string> row;
    for (const std::string& f : fields) {
      const Variant& v = rs.Field(f);
      row[f] = v.IsNull() ? "<null>" : v.DisplayText();
    }
    rows.push_back(row);
  }
  return rows;
}

class MdbRowsetsTest : public ::testing::Test {
 protected:
  Connection& Open(const std::string& file, const std::string& password = "") {
    connection_.Open(ConnectionText(testing::TestFile(file), password));
    return connection_;
  }
  Connection connection_;
};

TEST_F(MdbRowsetsTest, TablesNameEveryKindAndSelectQueriesAsViews) {
  SKIP_WITHOUT_TEST_DATA();
  Recordset rs = Open("queryTestV2000.mdb").OpenSchema(ado::adSchemaTables);
  std::map<std::string, std::string> type_of;
  for (const auto& row : Rows(rs, {"TABLE_NAME", "TABLE_TYPE"})) {
    type_of[row.at("TABLE_NAME")] = row.at("TABLE_TYPE");
  }
  EXPECT_EQ(type_of.at("MSysObjects"), "SYSTEM TABLE");
  EXPECT_EQ(type_of.at("MSysAccessObjects"), "ACCESS TABLE");
  EXPECT_EQ(type_of.at("Table1"), "TABLE");
  EXPECT_EQ(type_of.at("SelectQuery"), "VIEW");
  EXPECT_EQ(type_of.at("UnionQuery"), "VIEW");
  EXPECT_EQ(type_of.count("UpdateQuery"), 0u);  // action queries are procedures
  rs.SetFilter("TABLE_TYPE='TABLE'");
  EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(MdbRowsetsTest, ColumnsGiveTypesLengthsNullabilityAndDefaults) {
  SKIP_WITHOUT_TEST_DATA();
  Recordset rs =
      Open("testV2000.mdb")
          .OpenSchema(ado::adSchemaColumns, {Variant(), Variant(), Variant::Text("Table1")});
  rs.SetSort("Ordinal_Position");
  const auto rows = Rows(rs, {"COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "IS_NULLABLE",
                              "COLUMN_DEFAULT"});
  ASSERT_EQ(rows.size(), 9u);
  const std::vector<std::vector<std::string>> expected = {
      {"A", "130", "50", "True", "<null>"},   {"B", "130", "100", "True", "<null>"},
      {"C", "17", "<null>", "True", "0"},     {"D", "2", "<null>", "True", "0"},
      {"E", "3", "<null>", "True", "0"},      {"F", "5", "<null>", "True", "0"},
      {"G", "7", "<null>", "True", "<null>"}, {"H", "6", "<null>", "True", "0"},
      {"I", "11", "<null>", "True", "<null>"}};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].at("COLUMN_NAME"), expected[i][0]);
    EXPECT_EQ(rows[i].at("DATA_TYPE"), expected[i][1]) << expected[i][0];
    EXPECT_EQ(rows[i].at("CHARACTER_MAXIMUM_LENGTH"), expected[i][2]) << expected[i][0];
    EXPECT_EQ(rows[i].at("IS_NULLABLE"), expected[i][3]) << expected[i][0];
    EXPECT_EQ(rows[i].at("COLUMN_DEFAULT"), expected[i][4]) << expected[i][0];
  }
  connection_.Close();
  // Memo and OLE Object: long columns.
  Recordset projects = Open("test2V2000.mdb").OpenSchema(ado::adSchemaColumns);
  ASSERT_TRUE(projects.Locate("TABLE_NAME;COLUMN_NAME",
                              {Variant::Text("MSP_PROJECTS"), Variant::Text("PROJ_PROP_AUTHOR")}));
  EXPECT_EQ(projects.Field("DATA_TYPE").AsInteger(), 130);
  EXPECT_NE(projects.Field("COLUMN_FLAGS").AsInteger() & 0x80, 0);
}

TEST_F(MdbRowsetsTest, IndexesIncludeTheHiddenRelationshipIndex) {
  SKIP_WITHOUT_TEST_DATA();
  Recordset rs = Open("indexTestV2000.mdb")
                     .OpenSchema(ado::adSchemaIndexes, {Variant(), Variant(), Variant(), Variant(),
                                                        Variant::Text("Table1")});
  std::map<std::string, std::string> kind;
  for (const auto& row : Rows(rs, {"INDEX_NAME", "PRIMARY_KEY", "UNIQUE", "COLUMN_NAME"})) {
    kind[row.at("INDEX_NAME")] =
        row.at("PRIMARY_KEY") + "/" + row.at("UNIQUE") + "/" + row.at("COLUMN_NAME");
  }
  EXPECT_EQ(kind.at("PrimaryKey"), "True/True/id");
  EXPECT_EQ(kind.at("Table2Table1"), "False/False/otherfk1");
  EXPECT_EQ(kind.at("Table3Table1"), "False/False/otherfk2");
  rs.SetFilter("PRIMARY_KEY=True");
  EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_F(MdbRowsetsTest, ForeignKeysCarryTheRuleTexts) {
  SKIP_WITHOUT_TEST_DATA();
  Recordset rs = Open("indexTestV2000.mdb").OpenSchema(ado::adSchemaForeignKeys);
  const auto rows = Rows(rs, {"FK_NAME", "PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_NAME",
                              "FK_COLUMN_NAME", "UPDATE_RULE", "DELETE_RULE"});
  ASSERT_EQ(rows.size(),
            2u);  // Access's own relationships between its MSysNavPane tables are not listed
  std::map<std::string, std::string> rules;
  for (const auto& row : rows) {
    rules[row.at("FK_NAME")] = row.at("PK_TABLE_NAME") + "." + row.at("PK_COLUMN_NAME") + " -< " +
                               row.at("FK_TABLE_NAME") + "." + row.at("FK_COLUMN_NAME") + " " +
                               row.at("UPDATE_RULE") + "/" + row.at("DELETE_RULE");
  }
  EXPECT_EQ(rules.at("Table2Table1"), "Table2.id -< Table1.otherfk1 NO ACTION/CASCADE");
  EXPECT_EQ(rules.at("Table3Table1"), "Table3.id -< Table1.otherfk2 CASCADE/NO ACTION");
}

TEST_F(MdbRowsetsTest, DaoReadsQueriesAndFieldsAndRefusesChanges) {
  SKIP_WITHOUT_TEST_DATA();
  auto engine = dao::CreateOleObject(dao::kDbEngineClass);
  auto db = engine->Workspaces(0).OpenDatabase(testing::TestFile("queryTestV2000.mdb"), false,
                                               false, ";PWD=");
  dao::DaoQueryDefs queries = db->QueryDefs();
  ASSERT_EQ(queries.Count(), 9);
  EXPECT_EQ(queries.Item(0).Name(), "AppendQuery");
  EXPECT_EQ(queries.Item(8).SQL(),
            "PARAMETERS User Name Text;\r\nUPDATE Table1\r\nSET Table1.col1 = \"foo\", Table1.col2 "
            "= [Table2].[col3], [Table2].[col1] = [User Name]\r\nWHERE ((([Table2].[col1]) Is Not "
            "Null));");
  EXPECT_FALSE(db->TableDefs("Table1").Fields("col1").Required());
  EXPECT_THROW(db->CreateQueryDef("New", "SELECT 1;"), JetError);
  EXPECT_THROW(db->TableDefs("Table1").Fields("col1").SetRequired(true), JetError);
  EXPECT_EQ(db->QueryDefs().Count(), 9);

  auto with = engine->Workspaces(0).OpenDatabase(testing::TestFile("V2000_with-password.mdb"),
                                                 false, false, ";PWD=password");
  EXPECT_EQ(with->QueryDefs().Count(), 0);
  try {
    engine->Workspaces(0).OpenDatabase(testing::TestFile("V2000_with-password.mdb"), false, false,
                                       ";PWD=");
    FAIL() << "opened without the password";
  } catch (const JetError& e) {
    EXPECT_STREQ(e.what(), "Not a valid password.");
  }
}

}  // namespace
}  // namespace dbaccess::mdb
