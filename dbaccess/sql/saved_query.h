// A saved query's Jet SQL text read into its parts, as Jet keeps a saved query.
//
// The kinds: SELECT (with INTO, a make-table query), TRANSFORM ... PIVOT (crosstab),
// SELECTs joined by UNION [ALL], INSERT INTO ... SELECT / VALUES (append), UPDATE ... SET,
// DELETE, each after an optional PARAMETERS clause and before an optional WITH OWNERACCESS
// OPTION and ";"; and the data-definition statements (CREATE, ALTER, DROP), kept whole.
//
// Expressions, UPDATE targets and append target columns are kept as written, from their
// first to their last character. Names of tables, aliases and parameters lose their
// brackets where the name reads back the same without them. A subquery in FROM, written
// "(SELECT ...) AS x" or "[SELECT ...]. AS x", is a table whose source is its SELECT text.
//
// A text Jet would not store throws JetError with Jet's error for the clause at fault:
// 3129 (no query), 3075 (an expression), 3130 to 3145 (a clause), 3134 (INSERT INTO),
// 3319 (UNION), 3346 (more or fewer values than target columns), 3142 (after ";"), and
// 3071 when parentheses, subqueries or joins nest deeper than kMaxQueryNesting.
#ifndef SKARNVEL_DBACCESS_SQL_SAVED_QUERY_H_
#define SKARNVEL_DBACCESS_SQL_SAVED_QUERY_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/data_type.h"
#include "dbaccess/catalog/query_kind.h"

namespace dbaccess::sql {

constexpr int kMaxQueryNesting = 200;

struct QueryExpr {
  std::string text;                 // as written
  std::vector<std::string> tables;  // the "a" of each a.b or a!b, brackets removed, in order
                                    // (names inside a subquery left out)
};

struct QueryTable {
  std::string name;                   // brackets removed; empty for a subquery
  std::optional<std::string> source;  // [database].name: the database; a subquery: its text
  std::optional<std::string> alias;   // brackets removed
  bool subquery = false;

  // The name joins and columns refer to it by.
  const std::string& key() const { return alias ? *alias : name; }
};

enum class JoinKind { kInner = 1, kLeft = 2, kRight = 3 };

struct QueryJoin {
  JoinKind kind = JoinKind::kInner;
  std::vector<size_t> left;  // the tables on either side (indices into `tables`)
  std::vector<size_t> right;
  QueryExpr condition;  // as written after ON
  // The conditions AND-ed at the top of `condition`, each without one pair of parentheses
  // that encloses all of it; `condition` itself when there is no AND at its top.
  std::vector<QueryExpr> parts;
};

struct ExternalDatabase {  // IN 'path' [type]
  std::string path;
  std::optional<std::string> type;
};

struct QueryColumn {
  QueryExpr expr;  // "t.*" included
  std::optional<std::string> alias;
};

struct QueryOrder {
  std::string expr;
  bool descending = false;
};

// SELECT and what follows it; UPDATE and DELETE use the parts they have.
struct SelectClauses {
  bool distinct = false;
  bool distinct_row = false;
  bool all_columns = false;  // "*" among the columns
  std::optional<std::string> top;
  bool top_percent = false;
  std::vector<QueryColumn> columns;
  std::vector<QueryTable> tables;  // in the order the text names them
  std::vector<QueryJoin> joins;    // innermost first
  std::optional<ExternalDatabase> database;
  std::optional<std::string> where;
  std::vector<std::string> group_by;
  std::optional<std::string> having;
  std::vector<QueryOrder> order_by;
};

struct QueryTarget {  // INTO t [IN ...], INSERT INTO t [IN ...]
  std::string name;
  std::optional<ExternalDatabase> database;
};

struct QueryAssignment {  // UPDATE ... SET target = value
  std::string target;
  std::string value;
};

struct QueryParameter {
  std::string name;
  std::optional<DataType> type;  // none: "Value"
  int size = 0;                  // Text(n)
};

struct SavedQuery {
  QueryKind kind = QueryKind::kSelect;  // never kOther
  std::vector<QueryParameter> parameters;
  bool owner_access = false;
  SelectClauses select;  // the SELECT of every kind but data definition (a union: its ORDER BY)
  QueryTarget target;    // make-table, append
  std::vector<std::string> target_columns;   // append: (a, b)
  std::vector<std::string> values;           // append: VALUES (...)
  std::vector<QueryAssignment> assignments;  // update
  std::optional<QueryColumn> transform;      // crosstab: the value
  std::string pivot;                         // crosstab: the column headings' expression
  std::string pivot_text;                    // the same with its IN (...) list
  std::string first_part;                    // union: the text before the last UNION
  std::string second_part;                   // union: the SELECT after it
  bool union_all = false;
  std::string text;  // data definition: the whole text
};

SavedQuery ParseSavedQuery(std::string_view sql);

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_SAVED_QUERY_H_
