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
  const auto command = [](std::string_view head, const uAlg::TResult& r) {
    return std::string(head) + r.TableName + "." + r.FieldName;
  };
  for (uAlg::TResult& r : results) {
    if (r.PropName == texts::kNotNullProp && IsTrue(r.OldPropValue) && IsFalse(r.NewPropValue)) {
      r.SQL = command(texts::kDaoClearRequired, r);
    }
  }
  for (uAlg::TResult& r : results) {
    if (r.PropName == texts::kNotNullProp && IsFalse(r.OldPropValue) && IsTrue(r.NewPropValue)) {
      r.SQL = command(texts::kDaoSetRequired, r);
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
      added.SQL = kRenamed;
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
  qT.First();
  while (!qT.AtEnd()) {
    const std::string result = qT.Text(kResultColumn);
    bool untick = false;
    if (result == texts::kRenamedField) {
      untick = !working_has(qT.Text("TableName"), qT.Text("FieldName"));
    } else if (result == uAlg::kNewField) {
      untick = working_has(qT.Text("TableName"), qT.Text("FieldName"));
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
      }
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
