#include "actions/relation_check.h"

#include <set>
#include <utility>
#include <vector>

#include "actions/workbench_texts.h"

namespace actions {
namespace {

// A rowset field as text; empty and null give "".
std::string FieldText(const dbaccess::ado::Recordset& rowset, std::string_view field) {
  const dbaccess::Variant& value = rowset.Field(field);
  return value.IsText() ? value.AsText() : value.DisplayText();
}

}  // namespace

std::string QuoteFilterValue(const std::string& x) {
  std::string quoted = "'";
  for (char c : x) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

std::string TableRelationFilter(const std::string& table) {
  const std::string q = QuoteFilterValue(table);
  return std::string(texts::kFilterPkTable) + q + std::string(texts::kFilterClose) +
         std::string(texts::kFilterOrFkTable) + q + std::string(texts::kFilterClose);
}

std::string ColumnRelationFilter(const std::string& table, const std::string& column) {
  const std::string t = QuoteFilterValue(table);
  const std::string f = QuoteFilterValue(column);
  return std::string(texts::kFilterPkTable) + t + std::string(texts::kFilterAndPkColumn) + f +
         std::string(texts::kFilterClose) + std::string(texts::kFilterOrFkTable) + t +
         std::string(texts::kFilterAndFkColumn) + f + std::string(texts::kFilterClose);
}

std::string KeyRelationFilter(const std::string& table, const std::string& column) {
  return std::string(texts::kFilterPkTable) + QuoteFilterValue(table) +
         std::string(texts::kFilterAndPkColumn) + QuoteFilterValue(column) +
         std::string(texts::kFilterClose);
}

std::string DropConstraintCommand(const std::string& fk_table, const std::string& fk_name) {
  return std::string(texts::kDropConstraintHead) + fk_table +
         std::string(texts::kDropConstraintMiddle) + fk_name +
         std::string(texts::kDropConstraintTail);
}

RelationCheckOutcome CheckRelations(RunConnection& connection, dbaccess::ado::Recordset& qRef,
                                    const std::string& filter, const std::string& table,
                                    const std::optional<std::string>& column, RunOutput& out) {
  qRef = connection.ForeignKeys();
  qRef.SetFilter(filter);
  if (qRef.RecordCount() == 0) return RelationCheckOutcome::kGoOn;

  const std::string question = column ? std::string(texts::kRelationFieldPrefix) + table + "." +
                                            *column + std::string(texts::kRelationQuestion)
                                      : std::string(texts::kRelationTablePrefix) + table +
                                            std::string(texts::kRelationQuestion);
  switch (out.ui.Ask(Question::kDropRelations, std::string(texts::kRelationCaption), question)) {
    case Answer::kCancel:
      return RelationCheckOutcome::kStop;
    case Answer::kNo:
      return RelationCheckOutcome::kGoOn;
    case Answer::kYes:
      break;
  }

  // The rowset has a row per column pair; a constraint is dropped once, at its first row.
  std::vector<std::pair<std::string, std::string>> constraints;
  std::set<std::pair<std::string, std::string>> seen;
  for (qRef.MoveFirst(); !qRef.Eof(); qRef.MoveNext()) {
    std::pair<std::string, std::string> constraint{FieldText(qRef, "FK_TABLE_NAME"),
                                                   FieldText(qRef, "FK_NAME")};
    if (seen.insert(constraint).second) constraints.push_back(std::move(constraint));
  }
  for (const auto& [fk_table, fk_name] : constraints) {
    const std::string command = DropConstraintCommand(fk_table, fk_name);
    connection.Execute(command);
    out.append(std::string(texts::kSuccessPrefix) + command, MessageColor::kGrayText);
  }
  return RelationCheckOutcome::kDropped;
}

}  // namespace actions
