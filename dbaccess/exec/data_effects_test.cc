#include "dbaccess/exec/data_effects.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "dbaccess/exec/executor_testing.h"

namespace dbaccess {
namespace {

using testing::Database;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = DataEffect::Kind;

// A table of every kind of value the checks meet, with nulls, blanks and repeats.
Catalog People() {
  return Database({
      "CREATE TABLE [People] ([ID] LONG, [Name] TEXT(20), [Zip] TEXT(10), [Score] DOUBLE, "
      "[Note] MEMO, [Pic] LONGBINARY, [Flag] BIT)",
      "INSERT INTO [People] VALUES (1, 'Anna', '01234', 1.5, 'short', NULL, TRUE)",
      "INSERT INTO [People] VALUES (2, 'anna', '98765', 2, 'a somewhat longer memo text', "
      "0x0102, FALSE)",
      "INSERT INTO [People] VALUES (3, 'Boris', 'x12', 40000, NULL, NULL, FALSE)",
      "INSERT INTO [People] VALUES (4, NULL, '', NULL, '', NULL, FALSE)",
      "INSERT INTO [People] VALUES (NULL, 'Vera', '   ', 3e40, NULL, NULL, FALSE)",
  });
}

std::vector<DataEffect> Effects(const Catalog& catalog, std::string_view sql) {
  return EffectsOfStatement(catalog, sql);
}

DataEffect Only(const Catalog& catalog, std::string_view sql) {
  const std::vector<DataEffect> effects = Effects(catalog, sql);
  EXPECT_EQ(effects.size(), 1u) << sql;
  return effects.empty() ? DataEffect{} : effects.front();
}

TEST(DataEffectsTest, DropsCountWhatIsLost) {
  const Catalog db = People();
  DataEffect table = Only(db, "DROP TABLE [People]");
  EXPECT_EQ(table.kind, Kind::kRowsLost);
  EXPECT_EQ(table.count, 5);
  EXPECT_THAT(table.columns, IsEmpty());

  // Nulls and empty texts hold nothing to lose; a Yes/No field always holds a value.
  DataEffect note = Only(db, "ALTER TABLE [People] DROP COLUMN [note]");
  EXPECT_EQ(note.kind, Kind::kValuesLost);
  EXPECT_EQ(note.count, 2);
  EXPECT_THAT(note.columns, ElementsAre("Note"));
  EXPECT_THAT(note.examples, ElementsAre("short", "a somewhat longer memo text"));
  EXPECT_EQ(Only(db, "ALTER TABLE [People] DROP COLUMN [Flag]").count, 5);
  EXPECT_EQ(Only(db, "ALTER TABLE [People] DROP [Pic]").examples,
            std::vector<std::string>{"0x0102"});

  const Catalog empty = Database({"CREATE TABLE [E] ([A] LONG)"});
  EXPECT_THAT(Effects(empty, "DROP TABLE [E]"), IsEmpty());
}

TEST(DataEffectsTest, AlterColumnCountsRefusedAndChangedValuesByTheEnginesConversion) {
  const Catalog db = People();
  // Texts longer than the new size are refused; a memo into a short text too.
  DataEffect shorter = Only(db, "ALTER TABLE [People] ALTER COLUMN [Name] TEXT(4)");
  EXPECT_EQ(shorter.kind, Kind::kValuesRefused);
  EXPECT_EQ(shorter.count, 1);
  EXPECT_EQ(shorter.too_long, 1);
  EXPECT_THAT(shorter.examples, ElementsAre("Boris"));
  EXPECT_EQ(Only(db, "ALTER TABLE [People] ALTER COLUMN [Note] TEXT(10)").too_long, 1);

  // Texts into numbers: "x12" does not convert; "01234" converts but loses its zero; a
  // blank text becomes Null; an empty one was no value.
  std::vector<DataEffect> zip = Effects(db, "ALTER TABLE [People] ALTER COLUMN [Zip] LONG");
  ASSERT_EQ(zip.size(), 2u);
  EXPECT_EQ(zip[0].kind, Kind::kValuesRefused);
  EXPECT_EQ(zip[0].mismatch, 1);
  EXPECT_THAT(zip[0].examples, ElementsAre("x12"));
  EXPECT_EQ(zip[1].kind, Kind::kValuesChanged);
  EXPECT_THAT(zip[1].examples, ElementsAre("01234"));
  EXPECT_EQ(zip[1].count, 1);

  // Numbers: 1.5 rounds to 2, 40000 overflows a Short, 3e40 overflows a Single.
  std::vector<DataEffect> score = Effects(db, "ALTER TABLE [People] ALTER COLUMN [Score] SHORT");
  ASSERT_EQ(score.size(), 2u);
  EXPECT_EQ(score[0].kind, Kind::kValuesRefused);
  EXPECT_EQ(score[0].overflow, 2);
  EXPECT_EQ(score[1].kind, Kind::kValuesChanged);
  EXPECT_EQ(score[1].count, 1);
  EXPECT_EQ(Only(db, "ALTER TABLE [People] ALTER COLUMN [Score] SINGLE").overflow, 1);

  // A new NOT NULL over nulls; the same type with room to spare changes nothing.
  DataEffect nulls = Only(db, "ALTER TABLE [People] ALTER COLUMN [ID] LONG NOT NULL");
  EXPECT_EQ(nulls.kind, Kind::kNulls);
  EXPECT_EQ(nulls.count, 1);
  EXPECT_THAT(Effects(db, "ALTER TABLE [People] ALTER COLUMN [Name] TEXT(100)"), IsEmpty());
  EXPECT_THAT(Effects(db, "ALTER TABLE [People] ALTER COLUMN [ID] DOUBLE"), IsEmpty());
  EXPECT_THAT(Effects(db, "ALTER TABLE [People] ALTER COLUMN [Score] TEXT(50)"), IsEmpty());
}

TEST(DataEffectsTest, NewKeysCountNullsAndDuplicatesAsTheEngineComparesKeys) {
  const Catalog db = People();
  // "Anna" and "anna" are one key to Jet.
  std::vector<DataEffect> key =
      Effects(db, "ALTER TABLE [People] ADD CONSTRAINT [PK] PRIMARY KEY ([Name])");
  ASSERT_EQ(key.size(), 2u);
  EXPECT_EQ(key[0].kind, Kind::kNulls);
  EXPECT_EQ(key[0].count, 1);
  EXPECT_EQ(key[1].kind, Kind::kDuplicates);
  EXPECT_EQ(key[1].count, 1);
  EXPECT_THAT(key[1].examples, ElementsAre("anna"));
  // A unique index lets nulls stand; a key of two columns is one value.
  DataEffect unique = Only(db, "CREATE UNIQUE INDEX [U] ON [People] ([Name])");
  EXPECT_EQ(unique.kind, Kind::kDuplicates);
  EXPECT_THAT(Effects(db, "CREATE UNIQUE INDEX [U] ON [People] ([Name], [ID])"), IsEmpty());
  EXPECT_EQ(Only(db, "CREATE INDEX [N] ON [People] ([ID]) WITH DISALLOW NULL").kind, Kind::kNulls);
  EXPECT_THAT(Effects(db, "CREATE INDEX [N] ON [People] ([Name])"), IsEmpty());

  // A required column added to rows with no DEFAULT to fill them.
  EXPECT_EQ(Only(db, "ALTER TABLE [People] ADD [Code] LONG NOT NULL").count, 5);
  EXPECT_THAT(Effects(db, "ALTER TABLE [People] ADD [Code] LONG NOT NULL DEFAULT 0"), IsEmpty());
  EXPECT_THAT(Effects(db, "ALTER TABLE [People] ADD [Code] LONG"), IsEmpty());
  EXPECT_EQ(EffectsOfSetRequired(db, "people", "NAME", true).front().count, 1);
  EXPECT_THAT(EffectsOfSetRequired(db, "People", "Name", false), IsEmpty());
}

TEST(DataEffectsTest, NewForeignKeysCountRowsWithoutAParent) {
  const Catalog db = Database({
      "CREATE TABLE [P] ([ID] LONG CONSTRAINT [PK_P] PRIMARY KEY)",
      "CREATE TABLE [C] ([PID] LONG, [X] LONG)",
      "INSERT INTO [P] VALUES (1)",
      "INSERT INTO [C] VALUES (1, 1)",
      "INSERT INTO [C] VALUES (2, 1)",
      "INSERT INTO [C] VALUES (NULL, 1)",
      "INSERT INTO [C] VALUES (3, 1)",
  });
  DataEffect orphans =
      Only(db, "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([PID]) REFERENCES [P]");
  EXPECT_EQ(orphans.kind, Kind::kOrphans);
  EXPECT_EQ(orphans.count, 2);
  EXPECT_EQ(orphans.primary_table, "P");
  EXPECT_THAT(orphans.examples, ElementsAre("2", "3"));
  EXPECT_THAT(
      Effects(db, "ALTER TABLE [C] ADD CONSTRAINT [FK] FOREIGN KEY ([X]) REFERENCES [P] ([ID])"),
      IsEmpty());
}

TEST(DataEffectsTest, WhatPutsNoRowAtRiskHasNoEffect) {
  const Catalog db = People();
  for (std::string_view sql : {
           "CREATE TABLE [New] ([A] LONG)",
           "ALTER TABLE [People] ADD [Extra] TEXT(5)",
           "CREATE INDEX [ByZip] ON [People] ([Zip])",
           "DROP INDEX [Nothing] ON [People]",
           "ALTER TABLE [Missing] DROP COLUMN [A]",
           "DROP TABLE [Missing]",
           "this is no statement; DROP TABLE [People]",
       }) {
    EXPECT_THAT(Effects(db, sql), IsEmpty()) << sql;
  }
}

// Every refusal the check foresees is one the engine makes, and a statement it finds
// nothing against runs: the check and the executor keep the same rules.
TEST(DataEffectsTest, TheEngineRefusesWhatTheCheckSaysItRefuses) {
  for (std::string_view sql : {
           "ALTER TABLE [People] ALTER COLUMN [Name] TEXT(4)",
           "ALTER TABLE [People] ALTER COLUMN [Zip] LONG",
           "ALTER TABLE [People] ALTER COLUMN [Score] SHORT",
           "ALTER TABLE [People] ALTER COLUMN [ID] LONG NOT NULL",
           "ALTER TABLE [People] ADD CONSTRAINT [PK] PRIMARY KEY ([Name])",
           "CREATE UNIQUE INDEX [U] ON [People] ([Name])",
           "ALTER TABLE [People] ADD [Code] LONG NOT NULL",
           "ALTER TABLE [People] ALTER COLUMN [Name] TEXT(100)",
           "CREATE UNIQUE INDEX [U] ON [People] ([Name], [ID])",
           "ALTER TABLE [People] DROP COLUMN [Note]",
       }) {
    Catalog db = People();
    bool refused_for_rows = false;
    for (const DataEffect& e : Effects(db, sql)) refused_for_rows |= !LosesData(e.kind);
    ChangeList changes;
    const testing::Caught caught = testing::CatchJetError([&] { ExecuteSql(db, sql, changes); });
    EXPECT_EQ(caught.thrown, refused_for_rows) << sql << ": " << caught.text;
  }
}

}  // namespace
}  // namespace dbaccess
