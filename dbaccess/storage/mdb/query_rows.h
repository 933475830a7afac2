// A saved query's text to its MSysQueries rows: the rows Access stores for the text that
// CreateQueryDef is given, and the inverse of RebuildQuerySql (query_text.h).
//
// Every row as query_text.h describes it, each field filled as Access fills it: the start
// row (Flag 0) and the end row; the type row (Flag the kind; Name1 and Name2 the target
// and its database, Expression the database's type, or the whole text of a
// data-definition or pass-through query ended with the NUL Access ends it with); the
// parameters; the options row (always for select, make-table, update, delete and union,
// for the others only when they have an option); the external database, the tables in
// the order the text names them, the output columns, the joins innermost first (the
// conditions of one ON, when each names a table on either side, one row each, last written
// first), WHERE, GROUP BY, HAVING and ORDER BY. Each attribute numbers its rows 1, 2, ...
// in Order (four bytes, most significant first). Texts are as saved_query.h keeps them.
//
// What the text does not say: Access's query designer stores the tables in the order
// they were added to the design, which the text does not keep; and a join condition
// whose columns name no table (ON a = b) is given the first table of each side.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_ROWS_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_ROWS_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "dbaccess/storage/mdb/query_text.h"

namespace dbaccess::mdb {

struct QueryDefinitionRows {
  QueryKind kind = QueryKind::kSelect;
  uint32_t object_flags = 0;   // MSysObjects.Flags of the query object
  std::vector<QueryRow> rows;  // ObjectId 0; in the order of (Attribute, Order)
};

// Throws JetError, as saved_query.h says, for a text Jet would not store.
QueryDefinitionRows QueryRowsFromSql(std::string_view sql);

// A pass-through query: `sql` goes as it stands to the server `connect` names.
QueryDefinitionRows PassThroughQueryRows(std::string_view sql, std::string_view connect);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_ROWS_H_
