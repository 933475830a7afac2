#include "actions/table_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "actions/action_lists.h"
#include "actions/column_sets.h"
#include "actions/workbench_texts.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::Variant;
using ::testing::ElementsAre;

std::string S(std::string_view text) { return std::string(text); }

uAlg::TProps Props(int64_t position, const std::string& type, int64_t size, bool not_null,
                   Variant default_value = Variant::Null()) {
  uAlg::TProps props;
  props[uAlg::kOrdinalPositionProp].Value = Variant::Integer(position);
  props[uAlg::kTypeProp].Value = Variant::Text(type);
  props[uAlg::kSizeProp].Value = size > 0 ? Variant::Integer(size) : Variant();
  props[uAlg::kNotNullProp].Value = Variant::Boolean(not_null);
  props[uAlg::kDefaultValueProp].Value = std::move(default_value);
  return props;
}

uAlg::TResult Dropped(const std::string& table, const std::string& field, uAlg::TProps props) {
  return {table,
          field,
          "",
          {},
          {},
          S(uAlg::kDroppedField),
          "ALTER TABLE [" + table + "] DROP COLUMN [" + field + "]",
          props};
}

uAlg::TResult Added(const std::string& table, const std::string& field, uAlg::TProps props) {
  return {table,
          field,
          "",
          {},
          {},
          S(uAlg::kNewField),
          "ALTER TABLE [" + table + "] ADD COLUMN [" + field + "] Text",
          props};
}

uAlg::TResult Changed(const std::string& table, const std::string& field, const std::string& prop,
                      Variant old_value, Variant new_value, const std::string& sql) {
  return {table, field, prop, old_value, new_value, S(uAlg::kChangedFieldProps), sql, {}};
}

std::vector<std::string> Commands(const uAlg::TResults& results) {
  std::vector<std::string> commands;
  for (const uAlg::TResult& r : results) commands.push_back(r.SQL);
  return commands;
}

TEST(TableBuilderTest, RepeatedCommandsAndRequiredFlag) {
  const std::string alter = "ALTER TABLE [T] ALTER COLUMN [A] Text(20)";
  uAlg::TResults results = {
      Changed("T", "A", "TYPE", Variant::Text("Long"), Variant::Text("Text"), alter),
      Changed("T", "A", "SIZE", Variant(), Variant::Integer(20), alter),
      Changed("T", "B", "NotNull", Variant::Boolean(false), Variant::Boolean(true), "ALTER B"),
      Changed("T", "B", "DefaultValue", Variant::Null(), Variant::Text("0"), "ALTER B"),
      Changed("T", "C", "NotNull", Variant::Boolean(true), Variant::Boolean(false), "ALTER C"),
      Changed("T", "D", "NotNull", Variant::Boolean(true), Variant::Boolean(true), "ALTER D"),
  };
  ReworkTableResults(results, false, kRenameByPosition);
  // B's default changes with its required flag: the DAO command sets the flag and the
  // ALTER COLUMN command, passed on to the DefaultValue row, changes the default.
  EXPECT_THAT(Commands(results),
              ElementsAre(alter, "^", S(texts::kDaoSetRequired) + "T.B", "ALTER B",
                          S(texts::kDaoClearRequired) + "T.C", "ALTER D"));

  ActionList qT(ColumnsOf(ListId::qT));
  AppendTableRows(qT, results);
  ASSERT_EQ(qT.RowCount(), 6);
  qT.GoTo(0);
  EXPECT_TRUE(qT.Boolean("V"));
  EXPECT_EQ(qT.Text("OldPropValue"), "Long");
  qT.GoTo(1);
  EXPECT_FALSE(qT.Boolean("V"));
  EXPECT_EQ(qT.Text("OldPropValue"), "");
  EXPECT_EQ(qT.Text("NewPropValue"), "20");
  qT.GoTo(2);
  EXPECT_TRUE(qT.Boolean("V"));
  EXPECT_EQ(qT.Text("OldPropValue"), "False");
  EXPECT_EQ(qT.Text("NewPropValue"), "True");
  EXPECT_EQ(qT.Text("Result"), uAlg::kChangedFieldProps);
  qT.GoTo(3);
  EXPECT_TRUE(qT.Boolean("V"));

  // A NotNull row after the column's first property row finds its command already given.
  uAlg::TResults second = {
      Changed("T", "E", "TYPE", Variant::Text("Long"), Variant::Text("Short"), "ALTER E"),
      Changed("T", "E", "NotNull", Variant::Boolean(false), Variant::Boolean(true), "ALTER E"),
      Changed("T", "E", "DefaultValue", Variant::Null(), Variant::Text("1"), "ALTER E"),
  };
  ReworkTableResults(second, false, kRenameByPosition);
  EXPECT_THAT(Commands(second), ElementsAre("ALTER E", S(texts::kDaoSetRequired) + "T.E", "^"));
}

TEST(TableBuilderTest, RenameModes) {
  const auto run = [](int mode, bool same_position) {
    uAlg::TResults results = {Dropped("T", "B", Props(2, "Text", 10, false)),
                              Added("T", "X", Props(same_position ? 2 : 3, "Text", 10, false))};
    DetectRenames(results, mode);
    return results;
  };
  uAlg::TResults by_position = run(kRenameByPosition, true);
  EXPECT_EQ(by_position[0].Result, texts::kRenamedField);
  EXPECT_EQ(by_position[0].PropName, texts::kFieldNameProp);
  EXPECT_EQ(by_position[0].FieldName, "B");
  EXPECT_EQ(by_position[0].OldPropValue, Variant::Text("B"));
  EXPECT_EQ(by_position[0].NewPropValue, Variant::Text("X"));
  EXPECT_EQ(by_position[0].SQL, S(texts::kDaoRename) + "T.B" + S(texts::kDaoRenameArrow) + "X");
  EXPECT_EQ(by_position[1].SQL, texts::kRenamedMark);

  EXPECT_EQ(run(kRenameByProperties, false)[1].SQL, texts::kRenamedMark);
  EXPECT_EQ(run(kRenameByPositionAndProperties, false)[0].Result, uAlg::kDroppedField);
  EXPECT_EQ(run(kRenameByPositionAndProperties, true)[0].Result, texts::kRenamedField);
  EXPECT_EQ(run(-1, true)[0].Result, uAlg::kDroppedField);

  // Properties must agree in type, size, required flag and default.
  uAlg::TResults other = {Dropped("T", "B", Props(2, "Text", 10, false)),
                          Added("T", "X", Props(5, "Text", 12, false))};
  DetectRenames(other, kRenameByProperties);
  EXPECT_EQ(other[0].Result, uAlg::kDroppedField);

  // Paired by position with other properties: the new column's row stays as the renamed
  // column's change.
  uAlg::TResults changed = {Dropped("T", "B", Props(2, "Text", 10, false)),
                            Added("T", "X", Props(2, "Long", 0, true, Variant::Text("0")))};
  DetectRenames(changed, kRenameByPosition);
  EXPECT_EQ(changed[0].Result, texts::kRenamedField);
  EXPECT_EQ(changed[1].Result, uAlg::kChangedFieldProps);
  EXPECT_EQ(changed[1].SQL, "ALTER TABLE [T] ALTER COLUMN [X] Long NOT NULL DEFAULT 0");

  // Tables pair by exact name only.
  uAlg::TResults cased = {Dropped("T", "B", Props(2, "Text", 10, false)),
                          Added("t", "X", Props(2, "Text", 10, false))};
  DetectRenames(cased, kRenameByPosition);
  EXPECT_EQ(cased[0].Result, uAlg::kDroppedField);

  // The rename row goes into the list; the new column's does not.
  ActionList qT(ColumnsOf(ListId::qT));
  AppendTableRows(qT, by_position);
  ASSERT_EQ(qT.RowCount(), 1);
  EXPECT_EQ(qT.Text("NewPropValue"), "X");
}

TEST(TableBuilderTest, SeveralCandidatesPairOneToOneInResultOrder) {
  // By properties, B and C both match X and Y: B takes X, C takes Y; Z stays new.
  uAlg::TResults results = {
      Dropped("T", "B", Props(1, "Long", 0, false)), Dropped("T", "C", Props(2, "Long", 0, false)),
      Added("T", "X", Props(4, "Long", 0, false)), Added("T", "Y", Props(5, "Long", 0, false)),
      Added("T", "Z", Props(6, "Long", 0, false))};
  DetectRenames(results, kRenameByProperties);
  EXPECT_EQ(results[0].NewPropValue, Variant::Text("X"));
  EXPECT_EQ(results[1].NewPropValue, Variant::Text("Y"));
  EXPECT_EQ(results[2].SQL, texts::kRenamedMark);
  EXPECT_EQ(results[3].SQL, texts::kRenamedMark);
  EXPECT_EQ(results[4].Result, uAlg::kNewField);
  EXPECT_NE(results[4].SQL, texts::kRenamedMark);
}

TEST(TableBuilderTest, SavedActionsPreloaded) {
  ActionList qT(ColumnsOf(ListId::qT));
  // Saved: a ticked rename T.B -> X (B still in the working database), a rename whose old
  // column is gone, a new column that exists meanwhile, a new column still missing.
  qT.AppendRow({{"V", Variant::Boolean(true)},
                {"TableName", Variant::Text("T")},
                {"FieldName", Variant::Text("B")},
                {"NewPropValue", Variant::Text("X")},
                {"Result", Variant::Text(S(texts::kRenamedField))}});
  qT.AppendRow({{"V", Variant::Boolean(true)},
                {"TableName", Variant::Text("T")},
                {"FieldName", Variant::Text("Gone")},
                {"NewPropValue", Variant::Text("Q")},
                {"Result", Variant::Text(S(texts::kRenamedField))}});
  qT.AppendRow({{"V", Variant::Boolean(true)},
                {"TableName", Variant::Text("T")},
                {"FieldName", Variant::Text("Here")},
                {"Result", Variant::Text(S(uAlg::kNewField))}});
  qT.AppendRow({{"V", Variant::Boolean(false)},
                {"TableName", Variant::Text("T")},
                {"FieldName", Variant::Text("Later")},
                {"Result", Variant::Text(S(uAlg::kNewField))}});
  dbaccess::ado::Recordset columns(
      {"TABLE_NAME", "COLUMN_NAME"},
      {{Variant::Text("T"), Variant::Text("B")}, {Variant::Text("T"), Variant::Text("Here")}});
  UntickDoneSavedActions(qT, columns);
  std::vector<bool> ticks;
  for (int row = 0; row < qT.RowCount(); ++row) {
    qT.GoTo(row);
    ticks.push_back(qT.Boolean("V"));
  }
  EXPECT_THAT(ticks, ElementsAre(true, false, false, false));

  // Saved drops and creations that the working database has done meanwhile are unticked.
  ActionList done(ColumnsOf(ListId::qT));
  const auto saved = [&done](const std::string& table, const std::string& field,
                             std::string_view result) {
    done.AppendRow({{"V", Variant::Boolean(true)},
                    {"TableName", Variant::Text(table)},
                    {"FieldName", Variant::Text(field)},
                    {"Result", Variant::Text(S(result))}});
  };
  saved("T", "B", uAlg::kDroppedField);     // still there: stays ticked
  saved("T", "Gone", uAlg::kDroppedField);  // done
  saved("T", "", uAlg::kDroppedTable);      // still there
  saved("Gone", "", uAlg::kDroppedTable);   // done
  saved("T", "", uAlg::kNewTable);          // done
  saved("Later", "", uAlg::kNewTable);      // still to do
  UntickDoneSavedActions(done, columns);
  ticks.clear();
  for (int row = 0; row < done.RowCount(); ++row) {
    done.GoTo(row);
    ticks.push_back(done.Boolean("V"));
  }
  EXPECT_THAT(ticks, ElementsAre(true, false, true, false, false, true));

  uAlg::TResults results = {Dropped("T", "B", Props(2, "Text", 10, false)),
                            Added("T", "X", Props(3, "Text", 10, false)),
                            Added("T", "Later", Props(4, "Text", 10, false)),
                            Added("T", "Fresh", Props(5, "Text", 10, false)),
                            Dropped("U", "B", Props(1, "Text", 10, false))};
  MarkCoveredBySavedActions(results, qT);
  EXPECT_EQ(results[0].SQL, "^");
  EXPECT_EQ(results[1].SQL, "^");
  EXPECT_EQ(results[2].SQL, "^");  // a saved new-column row counts ticked or not
  EXPECT_NE(results[3].SQL, "^");
  EXPECT_NE(results[4].SQL, "^");

  // A saved row for the same action, ticked or not, covers the fresh one: the action is one
  // row and runs once.
  qT.AppendRow({{"V", Variant::Boolean(true)},
                {"TableName", Variant::Text("Old")},
                {"Result", Variant::Text(S(uAlg::kDroppedTable))},
                {"SQL", Variant::Text("DROP TABLE [Old]")}});
  qT.AppendRow({{"V", Variant::Boolean(false)},
                {"TableName", Variant::Text("U")},
                {"FieldName", Variant::Text("C")},
                {"Result", Variant::Text(S(uAlg::kDroppedField))},
                {"SQL", Variant::Text("ALTER TABLE [U] DROP COLUMN [C]")}});
  uAlg::TResults twins = {{"Old", "", "", {}, {}, S(uAlg::kDroppedTable), "DROP TABLE [Old]", {}},
                          Dropped("U", "C", Props(2, "Text", 10, false)),
                          Dropped("U", "D", Props(3, "Text", 10, false)),
                          {"New", "", "", {}, {}, S(uAlg::kNewTable), "CREATE TABLE [New]", {}}};
  MarkCoveredBySavedActions(twins, qT);
  EXPECT_THAT(Commands(twins),
              ElementsAre("^", "^", "ALTER TABLE [U] DROP COLUMN [D]", "CREATE TABLE [New]"));

  // An unticked saved rename covers nothing.
  qT.GoTo(0);
  qT.Edit();
  qT.SetBoolean("V", false);
  qT.Post();
  uAlg::TResults again = {Dropped("T", "B", Props(2, "Text", 10, false)),
                          Added("T", "X", Props(3, "Text", 10, false))};
  MarkCoveredBySavedActions(again, qT);
  EXPECT_NE(again[0].SQL, "^");
  EXPECT_NE(again[1].SQL, "^");
}

}  // namespace
}  // namespace actions
