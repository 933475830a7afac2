// What kind of saved query a Jet SQL text is, read from the text alone.
//
// The engine needs this where it has only a query's text: the TABLES rowset lists a saved
// query as a "VIEW" when it is a plain SELECT or a UNION without a PARAMETERS clause (every
// other query is a procedure), and a Jet 4 file records the kind in the query's object flags.
#ifndef SKARNVEL_DBACCESS_CATALOG_QUERY_KIND_H_
#define SKARNVEL_DBACCESS_CATALOG_QUERY_KIND_H_

#include <string_view>

namespace dbaccess {

enum class QueryKind {
  kSelect,     // SELECT ... FROM ...
  kUnion,      // SELECT ... UNION [ALL] SELECT ...
  kCrosstab,   // TRANSFORM ... SELECT ... PIVOT ...
  kMakeTable,  // SELECT ... INTO t ...
  kAppend,     // INSERT INTO ...
  kUpdate,     // UPDATE ...
  kDelete,     // DELETE ...
  kDdl,        // CREATE / ALTER / DROP ...
  kOther,      // anything else (e.g. the text of a pass-through query)
};

struct QueryClass {
  QueryKind kind = QueryKind::kOther;
  bool has_parameters = false;  // starts with a PARAMETERS clause
};

// Reads the statement's first words, outside quotes, brackets and parentheses; letter
// case does not matter.
QueryClass ClassifyQuery(std::string_view sql);

// A plain SELECT or UNION without parameters: a "VIEW" of the TABLES rowset.
bool IsView(std::string_view sql);

// The kind as a Jet 4 file's MSysObjects Flags of a query object holds it (0 select,
// 16 crosstab, 32 delete, 48 update, 64 append, 80 make-table, 96 DDL, 128 union;
// kOther gives 112, pass-through).
int QueryObjectFlags(QueryKind kind);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_QUERY_KIND_H_
