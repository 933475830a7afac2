#include "dbaccess/storage/mdb/query_rows.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/catalog/query_kind.h"
#include "dbaccess/sql/saved_query.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/format.h"

namespace dbaccess::mdb {
namespace {

using sql::QueryExpr;
using sql::QueryTable;
using sql::SavedQuery;
using sql::SelectClauses;
using TextKind = dbaccess::QueryKind;

// Access ends the whole text of a data-definition or pass-through query with a NUL.
constexpr char kTextTerminator = '\0';

QueryKind StoredKind(TextKind kind) {
  switch (kind) {
    case TextKind::kSelect:
      return QueryKind::kSelect;
    case TextKind::kUnion:
      return QueryKind::kUnion;
    case TextKind::kCrosstab:
      return QueryKind::kCrosstab;
    case TextKind::kMakeTable:
      return QueryKind::kMakeTable;
    case TextKind::kAppend:
      return QueryKind::kAppend;
    case TextKind::kUpdate:
      return QueryKind::kUpdate;
    case TextKind::kDelete:
      return QueryKind::kDelete;
    case TextKind::kDdl:
      return QueryKind::kDataDefinition;
    case TextKind::kOther:
      return QueryKind::kPassThrough;
  }
  return QueryKind::kPassThrough;
}

// A parameter's type as the Flag of its row holds it (0: Value).
int ParameterType(const std::optional<DataType>& type) {
  return type ? StoredColumnType(*type) : 0;
}

std::optional<std::string> Text(const std::string& s) {
  return s.empty() ? std::nullopt : std::optional<std::string>(s);
}

struct Fields {
  std::optional<int> flag = std::nullopt;
  std::optional<std::string> expression = std::nullopt;
  std::optional<std::string> name1 = std::nullopt;
  std::optional<std::string> name2 = std::nullopt;
  std::optional<int> extra = std::nullopt;
};

// The rows of one query; each attribute numbers its own rows from 1.
class RowList {
 public:
  void Add(int attribute, Fields f = {}) {
    const uint32_t order = ++count_[attribute];
    QueryRow row;
    row.attribute = attribute;
    row.flag = f.flag;
    row.expression = std::move(f.expression);
    row.name1 = std::move(f.name1);
    row.name2 = std::move(f.name2);
    row.extra = f.extra;
    row.order = {static_cast<uint8_t>(order >> 24), static_cast<uint8_t>(order >> 16),
                 static_cast<uint8_t>(order >> 8), static_cast<uint8_t>(order)};
    rows_.push_back(std::move(row));
  }

  // In the order of MSysQueries' index: (Attribute, Order).
  std::vector<QueryRow> Sorted() && {
    std::stable_sort(rows_.begin(), rows_.end(), [](const QueryRow& a, const QueryRow& b) {
      return a.attribute != b.attribute ? a.attribute < b.attribute : a.order < b.order;
    });
    return std::move(rows_);
  }

 private:
  std::map<int, uint32_t> count_;
  std::vector<QueryRow> rows_;
};

// The table of `side` an expression names first; the side's first table when it names
// none of them.
const std::string& SideTable(const QueryExpr& e, const std::vector<size_t>& side,
                             const std::vector<QueryTable>& tables) {
  for (const std::string& named : e.tables) {
    for (size_t i : side) {
      if (SameName(tables[i].key(), named)) return tables[i].key();
    }
  }
  return tables[side.front()].key();
}

bool NamesTableOf(const QueryExpr& e, const std::vector<size_t>& side,
                  const std::vector<QueryTable>& tables) {
  for (const std::string& named : e.tables) {
    for (size_t i : side) {
      if (SameName(tables[i].key(), named)) return true;
    }
  }
  return false;
}

void AddJoins(const SelectClauses& s, RowList& rows) {
  for (const sql::QueryJoin& join : s.joins) {
    const int kind = static_cast<int>(join.kind);
    bool split = join.parts.size() > 1;
    for (const QueryExpr& part : join.parts) {
      split = split && NamesTableOf(part, join.left, s.tables) &&
              NamesTableOf(part, join.right, s.tables);
    }
    if (!split) {
      rows.Add(kQueryJoin, {.flag = kind,
                            .expression = join.condition.text,
                            .name1 = SideTable(join.condition, join.left, s.tables),
                            .name2 = SideTable(join.condition, join.right, s.tables)});
      continue;
    }
    for (auto it = join.parts.rbegin(); it != join.parts.rend(); ++it) {
      rows.Add(kQueryJoin, {.flag = kind,
                            .expression = it->text,
                            .name1 = SideTable(*it, join.left, s.tables),
                            .name2 = SideTable(*it, join.right, s.tables)});
    }
  }
}

// The external database of FROM, the tables and (after the output columns, which the
// caller adds in between) the joins.
void AddSources(const SelectClauses& s, RowList& rows) {
  if (s.database) {
    rows.Add(kQueryRemoteDatabase,
             {.expression = s.database->type, .name1 = Text(s.database->path)});
  }
  for (const QueryTable& table : s.tables) {
    rows.Add(kQueryTable,
             {.expression = table.source, .name1 = Text(table.name), .name2 = table.alias});
  }
}

void AddSelectColumns(const SelectClauses& s, int flag, RowList& rows) {
  for (const sql::QueryColumn& column : s.columns) {
    rows.Add(kQueryColumn, {.flag = flag, .expression = column.expr.text, .name1 = column.alias});
  }
}

void AddConditionsAndOrder(const SelectClauses& s, int group_flag, RowList& rows) {
  if (s.where) rows.Add(kQueryWhere, {.expression = *s.where});
  for (const std::string& group : s.group_by) {
    rows.Add(kQueryGroupBy, {.flag = group_flag, .expression = group});
  }
  if (s.having) rows.Add(kQueryHaving, {.expression = *s.having});
  for (const sql::QueryOrder& order : s.order_by) {
    Fields f{.expression = order.expr};
    if (order.descending) f.name1 = kQueryDescending;
    rows.Add(kQueryOrderBy, std::move(f));
  }
}

int OptionFlags(const SavedQuery& q) {
  const SelectClauses& s = q.select;
  int flags = q.owner_access ? kQueryOwnerAccess : 0;
  if (q.kind == TextKind::kUnion) {
    return flags | kQueryUnionAll | (q.union_all ? 0 : kQueryUnionDistinct);
  }
  if (s.all_columns) flags |= kQuerySelectStar;
  if (s.distinct) flags |= kQueryDistinct;
  if (s.distinct_row) flags |= kQueryDistinctRow;
  if (s.top) flags |= kQueryTop;
  if (s.top_percent) flags |= kQueryPercent;
  return flags;
}

// Whether Access stores the options row when no option is set.
bool AlwaysHasOptions(TextKind kind) {
  return kind == TextKind::kSelect || kind == TextKind::kMakeTable || kind == TextKind::kUpdate ||
         kind == TextKind::kDelete || kind == TextKind::kUnion;
}

void AddTypeRow(const SavedQuery& q, RowList& rows) {
  Fields type;
  type.flag = static_cast<int>(StoredKind(q.kind));
  if (q.kind == TextKind::kMakeTable || q.kind == TextKind::kAppend) {
    type.name1 = q.target.name;
    if (q.target.database) {
      type.name2 = Text(q.target.database->path);
      type.expression = q.target.database->type;
    }
  }
  if (q.kind == TextKind::kDdl) type.expression = q.text + kTextTerminator;
  rows.Add(kQueryType, std::move(type));
}

void AddColumns(const SavedQuery& q, RowList& rows) {
  const SelectClauses& s = q.select;
  switch (q.kind) {
    case TextKind::kCrosstab:
      rows.Add(kQueryColumn,
               {.flag = 0, .expression = q.transform->expr.text, .name1 = q.transform->alias});
      AddSelectColumns(s, kQueryCrosstabRowHeading, rows);
      rows.Add(kQueryColumn, {.flag = kQueryCrosstabPivot, .expression = q.pivot_text});
      return;
    case TextKind::kAppend: {
      const bool values = !q.values.empty();
      const size_t count = values ? q.values.size() : s.columns.size();
      for (size_t i = 0; i < count; ++i) {
        Fields f;
        f.flag = values ? kQueryAppendValue : 0;
        f.expression = values ? q.values[i] : s.columns[i].expr.text;
        if (!values) f.name1 = s.columns[i].alias;
        if (i < q.target_columns.size()) f.name2 = q.target_columns[i];
        rows.Add(kQueryColumn, std::move(f));
      }
      return;
    }
    case TextKind::kUpdate:
      for (const sql::QueryAssignment& a : q.assignments) {
        rows.Add(kQueryColumn, {.flag = 0, .expression = a.value, .name2 = a.target});
      }
      return;
    default:
      AddSelectColumns(s, 0, rows);
  }
}

}  // namespace

QueryDefinitionRows QueryRowsFromSql(std::string_view sql) {
  const SavedQuery q = sql::ParseSavedQuery(sql);
  RowList rows;
  rows.Add(kQueryStart, {.flag = 0});
  AddTypeRow(q, rows);
  if (q.kind != TextKind::kDdl) {
    for (const sql::QueryParameter& p : q.parameters) {
      Fields f{.flag = ParameterType(p.type), .name1 = p.name};
      if (p.size > 0) f.extra = p.size;
      rows.Add(kQueryParameter, std::move(f));
    }
    const int options = OptionFlags(q);
    if (options != 0 || AlwaysHasOptions(q.kind)) {
      rows.Add(kQueryFlag, {.flag = options, .name1 = q.select.top});
    }
    if (q.kind == TextKind::kUnion) {
      rows.Add(kQueryTable, {.expression = q.first_part, .name2 = kQueryUnionFirstPart});
      rows.Add(kQueryTable, {.expression = q.second_part, .name2 = kQueryUnionSecondPart});
    } else {
      AddSources(q.select, rows);
      AddColumns(q, rows);
      AddJoins(q.select, rows);
    }
    AddConditionsAndOrder(q.select, q.kind == TextKind::kCrosstab ? kQueryCrosstabRowHeading : 0,
                          rows);
    if (q.kind == TextKind::kCrosstab) {
      rows.Add(kQueryGroupBy, {.flag = kQueryCrosstabPivot, .expression = q.pivot});
    }
  }
  rows.Add(kQueryEnd);
  return QueryDefinitionRows{StoredKind(q.kind), static_cast<uint32_t>(QueryObjectFlags(q.kind)),
                             std::move(rows).Sorted()};
}

QueryDefinitionRows PassThroughQueryRows(std::string_view sql, std::string_view connect) {
  RowList rows;
  rows.Add(kQueryStart, {.flag = 0});
  rows.Add(kQueryType, {.flag = static_cast<int>(QueryKind::kPassThrough),
                        .expression = std::string(sql) + kTextTerminator,
                        .name1 = std::string(connect)});
  rows.Add(kQueryEnd);
  return QueryDefinitionRows{QueryKind::kPassThrough,
                             static_cast<uint32_t>(QueryObjectFlags(TextKind::kOther)),
                             std::move(rows).Sorted()};
}

}  // namespace dbaccess::mdb
