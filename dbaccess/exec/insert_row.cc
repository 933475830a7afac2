#include "dbaccess/exec/insert_row.h"

#include "dbaccess/base/jet_error.h"
#include "dbaccess/exec/expression_eval.h"
#include "dbaccess/exec/sql_value.h"
#include "dbaccess/sql/parser.h"

namespace dbaccess {
namespace je = jet_errors;
namespace {

void Store(const SqlValue& value, const Column& column, Cell& out) {
  switch (ConvertValue(value, column, out)) {
    case ConvertStatus::kOk:
      return;
    case ConvertStatus::kMismatch:
      throw je::TypeMismatch();
    case ConvertStatus::kOverflow:
      throw je::NumericOverflow();
    case ConvertStatus::kTooLong:
      throw je::FieldTooSmall();
  }
}

}  // namespace

namespace {

// The largest whole number of a column, kept with the rows while they are only appended.
struct Largest : TableRows::Derived {
  int64_t value = 0;
};

}  // namespace

int64_t NextCounterValue(const Table& table, size_t column) {
  const std::vector<Row>& rows = table.rows.get();
  Largest& largest = table.rows.derived<Largest>("largest:" + std::to_string(column));
  if (largest.covered > rows.size()) {
    largest.value = 0;
    largest.covered = 0;
  }
  for (; largest.covered < rows.size(); ++largest.covered) {
    const Row& row = rows[largest.covered];
    if (column < row.size()) {
      if (const auto* v = std::get_if<int64_t>(&row[column]); v != nullptr && *v > largest.value) {
        largest.value = *v;
      }
    }
  }
  return largest.value + 1;
}

Row BuildInsertRow(const Table& table, const sql::InsertInto& insert, bool script,
                   const std::function<int64_t(size_t column)>& next_counter) {
  std::vector<int> targets;
  if (insert.columns) {
    std::vector<bool> named(table.columns.size(), false);
    for (const std::string& name : *insert.columns) {
      const int i = table.ColumnIndex(name);
      if (i < 0) throw je::UnknownInsertField(name);
      if (named[i]) throw je::DuplicateOutputDestination(name);
      named[i] = true;
      targets.push_back(i);
    }
  } else {
    for (size_t i = 0; i < table.columns.size(); ++i) targets.push_back(static_cast<int>(i));
  }
  if (targets.size() != insert.values.size()) throw je::ValueCountMismatch();

  Row row(table.columns.size());
  std::vector<bool> given(table.columns.size(), false);
  EvalContext values_context;
  values_context.script = script;
  for (size_t k = 0; k < targets.size(); ++k) {
    const size_t i = static_cast<size_t>(targets[k]);
    given[i] = true;
    Store(Evaluate(insert.values[k], values_context), table.columns[i], row[i]);
  }
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const Column& column = table.columns[i];
    if (column.auto_increment && column.type == DataType::kLong && IsNull(row[i])) {
      row[i] = next_counter(i);
      continue;
    }
    if (given[i]) continue;
    if (!column.default_value) {
      if (column.type == DataType::kBit) row[i] = false;  // a Yes/No field is never Null
      continue;
    }
    sql::Expr expr;
    if (!sql::ParseExpressionText(*column.default_value, expr)) throw je::ExpressionTooComplex();
    EvalContext default_context;
    default_context.table = table.name;
    default_context.field = column.name;
    Store(Evaluate(expr, default_context), column, row[i]);
  }
  return row;
}

}  // namespace dbaccess
