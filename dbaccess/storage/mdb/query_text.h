// Saved queries: MSysQueries rows rebuilt into the SQL text DAO's QueryDef.SQL shows.
//
// A query is stored as rows of (ObjectId, Attribute, Expression, Flag, Name1, Name2,
// LvExtra, Order), from an Attribute 0 row to an Attribute 255 row. The attribute says what
// a row describes: 1 the kind of query (Flag) and its target (Name1), 2 a parameter (Name1,
// Flag the type, LvExtra the text size), 3 the SELECT options (Flag; Name1 the TOP value),
// 4 the external database of FROM, 5 a table (Name1, alias Name2, Expression a source
// database or a UNION part), 6 an output column (Expression, alias Name1; Name2 the target
// column of an UPDATE or append), 7 a join (Name1 to Name2, Flag the kind, Expression the
// condition), 8 WHERE, 9 GROUP BY, 10 HAVING, 11 ORDER BY (Name1 "D": descending).
//
// The text puts each clause on its own line (CR LF between them) and ends in ";"; the text
// of a pass-through or data-definition query is stored whole and given back as stored,
// without the NUL Access ends it with.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_TEXT_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

enum QueryAttribute : int {
  kQueryStart = 0,
  kQueryType = 1,
  kQueryParameter = 2,
  kQueryFlag = 3,
  kQueryRemoteDatabase = 4,
  kQueryTable = 5,
  kQueryColumn = 6,
  kQueryJoin = 7,
  kQueryWhere = 8,
  kQueryGroupBy = 9,
  kQueryHaving = 10,
  kQueryOrderBy = 11,
  kQueryEnd = 255,
};

// The kind of a query as its type row (Attribute 1) states it.
enum class QueryKind {
  kSelect = 1,
  kMakeTable = 2,
  kAppend = 3,
  kUpdate = 4,
  kDelete = 5,
  kCrosstab = 6,
  kDataDefinition = 7,
  kPassThrough = 8,
  kUnion = 9,
};

// MSysObjects.Flags of a query, masked with kQueryObjectFlagMask, give the kind too.
constexpr uint32_t kQueryObjectFlagMask = 0xF0;

// Flag of the options row (Attribute 3) of a SELECT and the queries built on one.
constexpr int kQuerySelectStar = 0x01;
constexpr int kQueryDistinct = 0x02;
constexpr int kQueryOwnerAccess = 0x04;
constexpr int kQueryDistinctRow = 0x08;
constexpr int kQueryTop = 0x10;
constexpr int kQueryPercent = 0x20;
// ... of a union: 0x01 always, kQueryUnionDistinct for a plain UNION (not UNION ALL).
constexpr int kQueryUnionAll = 0x01;
constexpr int kQueryUnionDistinct = 0x02;
// Flag of an output column of an append query with VALUES (a 16-bit Integer: 0x8000).
constexpr int kQueryAppendValue = -0x8000;
// Flag of the output columns and GROUP BY rows of a crosstab query.
constexpr int kQueryCrosstabPivot = 0x01;
constexpr int kQueryCrosstabRowHeading = 0x02;
// Name2 of the two table rows of a union, whose Expression holds each part's text.
constexpr char kQueryUnionFirstPart[] = "X7YZ_____1";
constexpr char kQueryUnionSecondPart[] = "X7YZ_____2";
// Name1 of a descending ORDER BY row.
constexpr char kQueryDescending[] = "D";

struct QueryRow {
  int32_t object_id = 0;
  int attribute = 0;
  std::optional<std::string> expression;
  std::optional<int> flag;
  std::optional<int> extra;
  std::optional<std::string> name1;
  std::optional<std::string> name2;
  std::vector<uint8_t> order;
};

// Decodes the stored rows of MSysQueries; a NUL at the end of a text is dropped.
class QueryRowDecoder {
 public:
  explicit QueryRowDecoder(const TableDefinition& def);
  QueryRow Decode(const Row& row) const;
  // The columns Decode reads.
  const std::vector<bool>& columns() const { return cells_.columns(); }

 private:
  NamedCells<8> cells_;
};

// The stored row of `q`, its texts as they stand, for the table defined by `def`.
Row EncodeQueryRow(const TableDefinition& def, const QueryRow& q);

// The kind: the type row's when it names one, else the one MSysObjects.Flags gives, else
// select.
QueryKind KindOfQuery(uint32_t object_flags, const std::vector<QueryRow>& rows);

// The query's text as DAO shows it. `rows` are the query's rows in any order: they are
// taken in the order of their (Attribute, Order), as MSysQueries' index keeps them. Never
// fails on odd rows (a missing part is left out); throws FormatError only for a query too
// large to be real.
std::string RebuildQuerySql(uint32_t object_flags, const std::vector<QueryRow>& rows);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_TEXT_H_
