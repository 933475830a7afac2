#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "engine/compare_indexes.h"
#include "engine/database_testing.h"
#include "engine/result_lines_testing.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LoadIndexesTest : public testing::TestDatabases {};

TEST_F(LoadIndexesTest, ComparesKeysByTableAndColumn) {
  const std::string working =
      Make("w.mdb", {"CREATE TABLE T (A LONG CONSTRAINT PK_T PRIMARY KEY, B LONG, C TEXT(10))",
                     "CREATE UNIQUE INDEX uC ON T (C)",
                     "CREATE TABLE M (X LONG, Y LONG, CONSTRAINT PK_M PRIMARY KEY (X, Y))",
                     "CREATE TABLE Заказы (Номер LONG CONSTRAINT pk PRIMARY KEY, Код TEXT(5))",
                     "CREATE TABLE orders (id LONG CONSTRAINT pko PRIMARY KEY)"});
  const std::string fresh = Make(
      "n.mdb", {"CREATE TABLE T (A LONG, B LONG CONSTRAINT PrimaryKey PRIMARY KEY, C TEXT(10))",
                "CREATE UNIQUE INDEX Other ON T (C)", "CREATE TABLE M (X LONG, Y LONG, Z LONG)",
                "CREATE UNIQUE INDEX uYZ ON M (Y, Z)",
                "CREATE TABLE ЗАКАЗЫ (Номер LONG CONSTRAINT pk PRIMARY KEY, Код TEXT(5))",
                "CREATE TABLE ORDERS (ID LONG CONSTRAINT PrimaryKey PRIMARY KEY)"});
  TIResults results;
  CompareIndexes(working, fresh, "", "", results, kPrimaryKeys);
  CompareIndexes(working, fresh, "", "", results, kUniqueIndexes);
  EXPECT_THAT(
      Lines(results),
      ElementsAre(
          S(kDroppedPrimaryKey) + "|M|X|PK_M|ALTER TABLE [M] DROP CONSTRAINT [PK_M]",
          S(kDroppedPrimaryKey) + "|M|Y|PK_M|ALTER TABLE [M] DROP CONSTRAINT [PK_M]",
          S(kDroppedPrimaryKey) + "|T|A|PK_T|ALTER TABLE [T] DROP CONSTRAINT [PK_T]",
          S(kDroppedPrimaryKey) + "|Заказы|Номер|pk|ALTER TABLE [Заказы] DROP CONSTRAINT [pk]",
          S(kNewPrimaryKey) +
              "|T|B|PrimaryKey|ALTER TABLE [T] ADD CONSTRAINT [PrimaryKey] PRIMARY KEY ([B] )",
          S(kNewPrimaryKey) + "|ЗАКАЗЫ|Номер|pk|ALTER TABLE [ЗАКАЗЫ] ADD CONSTRAINT [pk] PRIMARY "
                              "KEY ([Номер] )",
          S(kNewUniqueIndex) + "|M|Y|uYZ|ALTER TABLE [M] ADD CONSTRAINT [uYZ] UNIQUE ([Y] )",
          S(kNewUniqueIndex) + "|M|Z|uYZ|ALTER TABLE [M] ADD CONSTRAINT [uYZ] UNIQUE ([Z] )"));
}

TEST_F(LoadIndexesTest, AFailedLoadAppendsNothing) {
  const std::string working =
      Make("w.mdb", {"CREATE TABLE T (A LONG CONSTRAINT PK PRIMARY KEY)"}, {}, "pw");
  TIResults results = {TIResult{"kept", "", "", "", ""}};
  EXPECT_THROW(CompareIndexes(working, Path("none.mdb"), "pw", "", results, kPrimaryKeys),
               dbaccess::JetError);
  EXPECT_THROW(CompareIndexes(working, working, "pw", "wrong", results, kPrimaryKeys),
               dbaccess::JetError);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].TABLE_NAME, "kept");
}

}  // namespace
}  // namespace uAlg
