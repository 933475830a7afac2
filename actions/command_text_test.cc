#include "actions/command_text.h"

#include <gtest/gtest.h>

namespace actions {
namespace {

TEST(CommandTextTest, KindsInTheirOrder) {
  EXPECT_EQ(KindOfCommand("DAO.Переименовать_поле T.A -> B"), CommandKind::kDao);
  // A DAO command is a DAO command even with a ";" in it.
  EXPECT_EQ(KindOfCommand("DAO.Снять_обязательность_поля T;1.A"), CommandKind::kDao);
  EXPECT_EQ(KindOfCommand("dao.x"), CommandKind::kSingleStatement);
  EXPECT_EQ(KindOfCommand("ALTER TABLE [A] DROP CONSTRAINT [R]\r\n;\r\nALTER TABLE [A] ADD X"),
            CommandKind::kTwoStatements);
  EXPECT_EQ(KindOfCommand(""), CommandKind::kSingleStatement);
  EXPECT_EQ(KindOfCommand("DROP TABLE [T]"), CommandKind::kSingleStatement);
}

TEST(CommandTextTest, SemicolonsInsideLiteralsAndNamesDoNotSplit) {
  EXPECT_EQ(KindOfCommand("ALTER TABLE [T] ADD COLUMN [C] TEXT(10) DEFAULT \"a;b\""),
            CommandKind::kSingleStatement);
  EXPECT_EQ(KindOfCommand("ALTER TABLE [T] ADD COLUMN [C] TEXT(10) DEFAULT 'it''s;x'"),
            CommandKind::kSingleStatement);
  EXPECT_EQ(KindOfCommand("ALTER TABLE [a;b] ADD COLUMN [c;d] INTEGER"),
            CommandKind::kSingleStatement);
  EXPECT_EQ(KindOfCommand("ALTER TABLE [T] ADD COLUMN [C] TEXT DEFAULT \"x\"\"; y\""),
            CommandKind::kSingleStatement);
  // A trailing ";" does not make a second statement.
  EXPECT_EQ(KindOfCommand("DROP TABLE [T];\r\n"), CommandKind::kSingleStatement);
  // An unclosed literal hides everything after it.
  EXPECT_EQ(KindOfCommand("SELECT 'x; y"), CommandKind::kSingleStatement);
}

TEST(CommandTextTest, SplitsAtTheFirstSeparatorOutsideLiterals) {
  StatementPair pair = SplitStatements("DROP X\r\n;\r\nADD Y");
  EXPECT_EQ(pair.first, "DROP X\r\n");
  EXPECT_EQ(pair.second, "\nADD Y");

  pair = SplitStatements("ALTER [a;b] DEFAULT 'x;y';\r\nSECOND; THIRD");
  EXPECT_EQ(pair.first, "ALTER [a;b] DEFAULT 'x;y'");
  EXPECT_EQ(pair.second, "\nSECOND; THIRD");

  // The character after ";" is skipped only when it is a blank or line break.
  pair = SplitStatements("A;B");
  EXPECT_EQ(pair.first, "A");
  EXPECT_EQ(pair.second, "B");

  pair = SplitStatements("NO SEPARATOR");
  EXPECT_EQ(pair.first, "NO SEPARATOR");
  EXPECT_EQ(pair.second, "");
}

}  // namespace
}  // namespace actions
