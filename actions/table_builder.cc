#include "actions/table_builder.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "actions/column_sets.h"
#include "actions/workbench_texts.h"
#include "engine/prop_value.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::Variant;

const std::string kRepeated(texts::kRepeatedMark);
const std::string kRenamed(texts::kRenamedMark);

// The column change that follows a rename by position.
constexpr std::string_view kAlterTableHead = "ALTER TABLE [";
constexpr std::string_view kAlterColumnMiddle = "] ALTER COLUMN ";

// The columns rowset's table name, to find a table by.
constexpr std::string_view kTableNameKey = "TABLE_NAME";
// The columns of a table list row that tell one action.
constexpr std::string_view kSameActionColumns = "Result;TableName;FieldName;PropName;SQL";

bool IsTrue(const Variant& value) { return uAlg::PropValuesEqual(value, Variant::Boolean(true)); }
bool IsFalse(const Variant& value) { return uAlg::PropValuesEqual(value, Variant::Boolean(false)); }

bool PropertiesAgree(const uAlg::TResult& dropped, const uAlg::TResult& added) {
  for (int p : {uAlg::kTypeProp, uAlg::kSizeProp, uAlg::kNotNullProp, uAlg::kDefaultValueProp}) {
    if (uAlg::PropValuesDiffer(dropped.Props[p].Value, added.Props[p].Value)) return false;
  }
  return true;
}

bool PositionsAgree(const uAlg::TResult& dropped, const uAlg::TResult& added) {
  return uAlg::PropValuesEqual(dropped.Props[uAlg::kOrdinalPositionProp].Value,
                               added.Props[uAlg::kOrdinalPositionProp].Value);
}

bool IsRename(const uAlg::TResult& dropped, const uAlg::TResult& added, int mode) {
  switch (mode) {
    case kRenameByPosition:
      return PositionsAgree(dropped, added);
    case kRenameByProperties:
      return PropertiesAgree(dropped, added);
    case kRenameByPositionAndProperties:
      return PositionsAgree(dropped, added) && PropertiesAgree(dropped, added);
    default:
      return false;
  }
}

// "ALTER TABLE [t] ALTER COLUMN " and the new column's definition.
std::string RenamedColumnDefinition(const uAlg::TResult& added) {
  uAlg::TField field;
  field.Name = added.FieldName;
  field.Props = added.Props;
  return std::string(kAlterTableHead) + added.TableName + std::string(kAlterColumnMiddle) +
         uAlg::FieldSQL(field);
}

bool RowTicked(const ActionList& list, int row) {
  const Variant& v = list.Cell(row, list.ColumnIndex(kTickColumn));
  return v.IsBoolean() && v.AsBoolean();
}

}  // namespace

void MarkRepeatedCommands(uAlg::TResults& results) {
  // A command is repeated when an earlier result had it first; marking an earlier one "^"
  // never hides a repetition, since the one it repeats came earlier still.
  std::unordered_set<std::string> seen;
  for (uAlg::TResult& result : results) {
    if (!seen.insert(result.SQL).second) result.SQL = kRepeated;
  }
}

void UseDaoForRequiredFlag(uAlg::TResults& results) {
  // When the NotNull row carried its column's ALTER COLUMN command, the column's next
  // property row (marked "^" for the repeated command) takes it over, so that the column's
  // other differences are carried out too; the command also sets the required flag.
  const auto use_dao = [&results](size_t i, std::string_view head) {
    uAlg::TResult& r = results[i];
    const std::string command = r.SQL;
    r.SQL = std::string(head) + r.TableName + "." + r.FieldName;
    if (command == kRepeated || command.starts_with(texts::kDaoPrefix)) return;
    if (i + 1 < results.size()) {
      uAlg::TResult& next = results[i + 1];
      if (next.Result == r.Result && next.TableName == r.TableName &&
          next.FieldName == r.FieldName && next.SQL == kRepeated) {
        next.SQL = command;
      }
    }
  };
  for (size_t i = 0; i < results.size(); ++i) {
    const uAlg::TResult& r = results[i];
    if (r.PropName == texts::kNotNullProp && IsTrue(r.OldPropValue) && IsFalse(r.NewPropValue)) {
      use_dao(i, texts::kDaoClearRequired);
    }
  }
  for (size_t i = 0; i < results.size(); ++i) {
    const uAlg::TResult& r = results[i];
    if (r.PropName == texts::kNotNullProp && IsFalse(r.OldPropValue) && IsTrue(r.NewPropValue)) {
      use_dao(i, texts::kDaoSetRequired);
    }
  }
}

void DetectRenames(uAlg::TResults& results, int mode) {
  // Several candidates: the dropped columns are taken in result order, and each pairs with
  // the first new column after it that passes the test and is not paired yet. So a dropped
  // column gives at most one rename row, a new column is named by at most one, and every
  // new column left over stays a new-column row.
  for (size_t i = 0; i + 1 < results.size(); ++i) {
    uAlg::TResult& dropped = results[i];
    if (dropped.Result != uAlg::kDroppedField) continue;
    for (size_t j = i + 1; j < results.size(); ++j) {
      uAlg::TResult& added = results[j];
      if (added.Result != uAlg::kNewField || added.TableName != dropped.TableName ||
          added.SQL == kRenamed) {
        continue;
      }
      if (!IsRename(dropped, added, mode)) continue;
      dropped.Result = texts::kRenamedField;
      dropped.PropName = texts::kFieldNameProp;
      dropped.OldPropValue = Variant::Text(dropped.FieldName);
      dropped.NewPropValue = Variant::Text(added.FieldName);
      dropped.SQL = std::string(texts::kDaoRename) + dropped.TableName + "." + dropped.FieldName +
                    std::string(texts::kDaoRenameArrow) + added.FieldName;
      if (PropertiesAgree(dropped, added)) {
        added.SQL = kRenamed;
      } else {
        // Paired by position alone: after the rename the column still needs the new
        // column's type, size, required flag and default, so the new column's row stays,
        // as a change of the renamed column, after the rename row.
        added.Result = uAlg::kChangedFieldProps;
        added.SQL = RenamedColumnDefinition(added);
      }
      break;
    }
  }
}

void ReworkTableResults(uAlg::TResults& results, bool detect_renames, int mode) {
  MarkRepeatedCommands(results);
  UseDaoForRequiredFlag(results);
  if (detect_renames) DetectRenames(results, mode);
}

void UntickDoneSavedActions(ActionList& qT, dbaccess::ado::Recordset& columns) {
  const auto working_has = [&columns](const std::string& table, const std::string& field) {
    return columns.Locate(texts::kTableColumnKeys, {Variant::Text(table), Variant::Text(field)});
  };
  const auto working_has_table = [&columns](const std::string& table) {
    return columns.Locate(kTableNameKey, {Variant::Text(table)});
  };
  qT.First();
  while (!qT.AtEnd()) {
    const std::string result = qT.Text(kResultColumn);
    bool untick = false;
    if (result == texts::kRenamedField || result == uAlg::kDroppedField) {
      untick = !working_has(qT.Text("TableName"), qT.Text("FieldName"));
    } else if (result == uAlg::kNewField) {
      untick = working_has(qT.Text("TableName"), qT.Text("FieldName"));
    } else if (result == uAlg::kDroppedTable) {
      untick = !working_has_table(qT.Text("TableName"));
    } else if (result == uAlg::kNewTable) {
      untick = working_has_table(qT.Text("TableName"));
    }
    if (untick) {
      qT.Edit();
      qT.SetBoolean(kTickColumn, false);
      qT.Post();
    }
    qT.Next();
  }
}

void MarkCoveredBySavedActions(uAlg::TResults& results, const ActionList& qT) {
  const std::string renamed(texts::kRenamedField);
  const std::string new_field(uAlg::kNewField);
  for (uAlg::TResult& r : results) {
    if (r.Result == uAlg::kDroppedField) {
      const auto row = qT.Find("Result;TableName;FieldName", {renamed, r.TableName, r.FieldName});
      if (row && RowTicked(qT, *row)) {
        r.SQL = kRepeated;
        continue;
      }
    }
    if (r.Result == uAlg::kNewField) {
      const auto row =
          qT.Find("Result;TableName;NewPropValue", {renamed, r.TableName, r.FieldName});
      if (row && RowTicked(qT, *row)) {
        r.SQL = kRepeated;
        continue;
      }
      if (qT.Find("Result;TableName;FieldName", {new_field, r.TableName, r.FieldName})) {
        r.SQL = kRepeated;
        continue;
      }
    }
    // Any other action a loaded row holds already, ticked or not: the loaded row is the one
    // that is run (or left alone), never the fresh row as well.
    if (r.SQL == kRepeated || r.SQL == kRenamed) continue;
    if (qT.Find(kSameActionColumns, {r.Result, r.TableName, r.FieldName, r.PropName, r.SQL})) {
      r.SQL = kRepeated;
    }
  }
}

void AppendTableRows(ActionList& qT, const uAlg::TResults& results) {
  ScopedSuspend suspend(qT);
  for (const uAlg::TResult& r : results) {
    if (r.SQL == kRenamed) continue;
    qT.AppendRow({{kTickColumn, Variant::Boolean(r.SQL != kRepeated)},
                  {"TableName", Variant::Text(r.TableName)},
                  {"FieldName", Variant::Text(r.FieldName)},
                  {"PropName", Variant::Text(r.PropName)},
                  {"OldPropValue", Variant::Text(r.OldPropValue.DisplayText())},
                  {"NewPropValue", Variant::Text(r.NewPropValue.DisplayText())},
                  {kResultColumn, Variant::Text(r.Result)},
                  {"SQL", Variant::Text(r.SQL)}});
  }
}

}  // namespace actions
