// The row an INSERT INTO ... VALUES statement adds to a table.
//
// The values are evaluated (expression_eval.h) and converted to their columns' types
// (sql_value.h); an AutoNumber left out or given Null gets its next value; another column
// left out gets its DEFAULT, or Null (a Bit field False: it is never Null). Errors: 3127
// for an unknown column, 3063 for a column named twice, 3346 when values and columns
// differ in number, 3464 for a value that does not convert, 3349 for one that overflows,
// 3163 for one too long. The row is not checked against Required, indexes or
// relationships: that is the executor's.
#ifndef SKARNVEL_DBACCESS_EXEC_INSERT_ROW_H_
#define SKARNVEL_DBACCESS_EXEC_INSERT_ROW_H_

#include <cstdint>
#include <functional>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/sql/statement.h"

namespace dbaccess {

// `next_counter(i)` gives the next AutoNumber of column i.
Row BuildInsertRow(const Table& table, const sql::InsertInto& insert, bool script,
                   const std::function<int64_t(size_t column)>& next_counter);

// The next AutoNumber of column i: one more than the largest value in the table, 1 for an
// empty table.
int64_t NextCounterValue(const Table& table, size_t column);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_EXEC_INSERT_ROW_H_
