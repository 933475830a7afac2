#include "actions/presentation.h"

#include <gtest/gtest.h>

#include "actions/workbench_texts.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

std::string S(std::string_view text) { return std::string(text); }

CellTextColor ResultColor(std::string_view text, std::string_view column = "Result") {
  return CalcCellLook(ListId::qI, column, text, "", 1, 0, false).text;
}

TEST(CalcCellLookTest, ResultTextsTakeTheirColours) {
  for (std::string_view text : {uAlg::kNewTable, uAlg::kNewField, uAlg::kNewPrimaryKey,
                                uAlg::kNewUniqueIndex, uAlg::kNewRelation, uAlg::kNewQuery}) {
    EXPECT_EQ(ResultColor(text), CellTextColor::kGreen) << text;
  }
  for (std::string_view text :
       {uAlg::kDroppedTable, uAlg::kDroppedField, uAlg::kDroppedPrimaryKey,
        uAlg::kDroppedUniqueIndex, uAlg::kDroppedRelation, uAlg::kDroppedQuery}) {
    EXPECT_EQ(ResultColor(text), CellTextColor::kRed) << text;
  }
  EXPECT_EQ(ResultColor(texts::kRenamedField), CellTextColor::kFuchsia);
  EXPECT_EQ(ResultColor(uAlg::kChangedQueryText), CellTextColor::kGridFont);
  // A later rule overrides an earlier one; the tests are case-sensitive and the renamed
  // field must match exactly.
  EXPECT_EQ(ResultColor(S(texts::kNewMark) + " " + S(texts::kDroppedMark)), CellTextColor::kRed);
  EXPECT_EQ(ResultColor("нов"), CellTextColor::kGridFont);
  EXPECT_EQ(ResultColor(S(texts::kRenamedField) + " "), CellTextColor::kGridFont);
  // The column's name counts without regard to letter case; other columns keep the font.
  EXPECT_EQ(ResultColor(uAlg::kNewField, "RESULT"), CellTextColor::kGreen);
  EXPECT_EQ(ResultColor(uAlg::kNewField, "TableName"), CellTextColor::kGridFont);
}

TEST(CalcCellLookTest, BoldRowsAndShadedPreloadedRowsBelongToTheTableGrid) {
  const std::string two = "ALTER TABLE [a] DROP CONSTRAINT [f]\r\n;\r\nALTER TABLE [a] ADD X";
  EXPECT_TRUE(CalcCellLook(ListId::qT, "TableName", "a", two, 5, 0, false).bold);
  EXPECT_FALSE(CalcCellLook(ListId::qT, "TableName", "a", "DROP TABLE [a]", 5, 0, false).bold);
  EXPECT_FALSE(CalcCellLook(ListId::qFK, "SQL", two, two, 1, 0, false).bold);

  EXPECT_TRUE(CalcCellLook(ListId::qT, "V", "True", "", 3, 3, false).tooltip_background);
  EXPECT_FALSE(CalcCellLook(ListId::qT, "V", "True", "", 4, 3, false).tooltip_background);
  EXPECT_FALSE(CalcCellLook(ListId::qT, "V", "True", "", 3, 3, true).tooltip_background);
  EXPECT_FALSE(CalcCellLook(ListId::qT, "V", "True", "", 1, 0, false).tooltip_background);
  EXPECT_FALSE(CalcCellLook(ListId::qQ, "V", "True", "", 1, 3, false).tooltip_background);
}

TEST(TabCaptionTest, CaptionsWithACountAreMarked) {
  EXPECT_TRUE(TabCaptionMarked(S(LayoutOf(ListId::qT).page_caption) + " - 3"));
  EXPECT_FALSE(TabCaptionMarked(LayoutOf(ListId::qT).page_caption));
}

TEST(PickedDatabasePathTest, BareNameOnlyInTheProgramsOwnFolder) {
  EXPECT_EQ(PickedDatabasePath("/opt/skarnvel/work.mdb", "/opt/skarnvel"), "work.mdb");
  EXPECT_EQ(PickedDatabasePath("/opt/skarnvel/work.mdb", "/opt/skarnvel/"), "work.mdb");
  EXPECT_EQ(PickedDatabasePath("/opt/Skarnvel/work.mdb", "/opt/skarnvel"),
            "/opt/Skarnvel/work.mdb");
  EXPECT_EQ(PickedDatabasePath("/opt/skarnvel/db/work.mdb", "/opt/skarnvel"),
            "/opt/skarnvel/db/work.mdb");
  EXPECT_EQ(PickedDatabasePath("/work.mdb", "/"), "work.mdb");
}

TEST(EditorTextTest, LineBreaksSurviveAnEdit) {
  const std::string stored = "SELECT a\r\nFROM t\r\nWHERE b;\r\n";
  EXPECT_EQ(EditorText(stored), "SELECT a\nFROM t\nWHERE b;\n");
  EXPECT_EQ(EditorText("a\rb"), "a\nb");
  EXPECT_EQ(StoredText(EditorText(stored), stored), stored);
  EXPECT_EQ(StoredText("SELECT a\nFROM u;", stored), "SELECT a\r\nFROM u;");
  EXPECT_EQ(StoredText("x\ny", "plain\nlines"), "x\ny");
  EXPECT_EQ(StoredText("new", ""), "new");
}

}  // namespace
}  // namespace actions
