#include "dbaccess/storage/mdb/query_text.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/system_catalog.h"

namespace dbaccess::mdb {
namespace {

constexpr char kNewLine[] = "\r\n";
constexpr char kListSeparator[] = ", ";

// Access allows 32 tables in a query; far more joins than that is a damaged file.
constexpr size_t kMaxJoins = 1024;

std::string JoinList(const std::vector<std::string>& items, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += separator;
    out += items[i];
  }
  return out;
}

bool IsBracketed(std::string_view text) {
  return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

// A name needs brackets when it holds anything but letters, digits and "_" (letters of
// every alphabet count as letters).
bool NeedsBrackets(std::string_view name) {
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80) continue;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') {
      continue;
    }
    return true;
  }
  return false;
}

std::string Bracketed(std::string_view text) {
  if (IsBracketed(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('[');
  out.append(text);
  out.push_back(']');
  return out;
}

std::string NameText(std::string_view name) {
  return NeedsBrackets(name) ? Bracketed(name) : std::string(name);
}

// A possibly qualified name (table.column): each part bracketed as it needs. A dot
// inside a bracketed part is part of its name.
std::string QualifiedNameText(std::string_view name) {
  std::string out;
  size_t start = 0;
  bool in_brackets = false;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] == '[') in_brackets = true;
    if (i < name.size() && name[i] == ']') in_brackets = false;
    if (i < name.size() && (name[i] != '.' || in_brackets)) continue;
    out += NameText(name.substr(start, i - start));
    if (i < name.size()) out += '.';
    start = i + 1;
  }
  return out;
}

// A quoted text that Jet reads back as `text`: quotes inside doubled.
std::string SingleQuoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += c;
  }
  return out + "'";
}

std::string AliasText(const std::optional<std::string>& alias) {
  return alias ? " AS " + NameText(*alias) : std::string();
}

std::string RemoteDatabaseText(const std::optional<std::string>& path,
                               const std::optional<std::string>& type) {
  if (!path && !type) return "";
  std::string out = " IN " + SingleQuoted(path.value_or(""));
  if (type) out += " [" + *type + "]";
  return out;
}

// Trims blanks and control characters at both ends and writes every line break as CR LF.
std::string CleanUnionPart(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  std::string out;
  for (size_t i = begin; i < end;) {
    if (text[i] == '\r' || text[i] == '\n') {
      while (i < end && (text[i] == '\r' || text[i] == '\n')) ++i;
      out += kNewLine;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string ParameterTypeName(int type, int size) {
  switch (type) {
    case 0:
      return "Value";
    case kTypeBoolean:
      return "Bit";
    case kTypeByte:
      return "Byte";
    case kTypeInt:
      return "Short";
    case kTypeLong:
      return "Long";
    case kTypeMoney:
      return "Currency";
    case kTypeFloat:
      return "IEEESingle";
    case kTypeDouble:
      return "IEEEDouble";
    case kTypeDateTime:
      return "DateTime";
    case kTypeBinary:
      return "Binary";
    case kTypeText:
      return size > 0 ? "Text(" + std::to_string(size) + ")" : "Text";
    case kTypeOle:
      return "LongBinary";
    case kTypeMemo:
      return "Memo";
    case kTypeGuid:
      return "Guid";
    case kTypeNumeric:
      return "Decimal";
    default:
      return "Value";
  }
}

std::string_view JoinWords(int kind) {
  switch (kind) {
    case 2:
      return " LEFT JOIN ";
    case 3:
      return " RIGHT JOIN ";
    default:
      return " INNER JOIN ";
  }
}

// One item of the FROM list: a table or a join of two items.
struct Source {
  std::string key;   // a table's alias or name, as joins refer to it
  std::string text;  // a table's text
  std::unique_ptr<Source> left;
  std::unique_ptr<Source> right;
  int join_kind = 0;
  std::vector<std::string> conditions;

  bool is_join() const { return left != nullptr; }
  bool Contains(std::string_view table) const {
    return is_join() ? left->Contains(table) || right->Contains(table) : SameName(key, table);
  }
  void Write(std::string& out, bool nested) const {
    if (!is_join()) {
      out += text;
      return;
    }
    if (nested) out += '(';
    left->Write(out, true);
    out += JoinWords(join_kind);
    right->Write(out, true);
    out += " ON ";
    if (conditions.size() == 1) {
      out += conditions.front();
    } else {
      out += "(" + JoinList(conditions, ") AND (") + ")";
    }
    if (nested) out += ')';
  }
};

// A query's rows in the order of MSysQueries' index (ObjectId, Attribute, Order): the order
// the engine gives them in, whatever pages and slots they happen to lie in.
class QueryRows {
 public:
  explicit QueryRows(const std::vector<QueryRow>& rows) {
    rows_.reserve(rows.size());
    for (const QueryRow& row : rows) rows_.push_back(&row);
    std::stable_sort(rows_.begin(), rows_.end(), [](const QueryRow* a, const QueryRow* b) {
      if (a->attribute != b->attribute) return a->attribute < b->attribute;
      return a->order < b->order;
    });
  }

  std::vector<const QueryRow*> All(int attribute) const {
    std::vector<const QueryRow*> out;
    for (const QueryRow* row : rows_) {
      if (row->attribute == attribute) out.push_back(row);
    }
    return out;
  }
  const QueryRow* First(int attribute) const {
    for (const QueryRow* row : rows_) {
      if (row->attribute == attribute) return row;
    }
    return nullptr;
  }
  int Flag(int attribute) const {
    const QueryRow* row = First(attribute);
    return row != nullptr ? row->flag.value_or(0) : 0;
  }
  std::optional<std::string> Expression(int attribute) const {
    const QueryRow* row = First(attribute);
    return row != nullptr ? row->expression : std::nullopt;
  }

 private:
  std::vector<const QueryRow*> rows_;
};

bool HasFlag(const QueryRow* row, int mask) {
  return (static_cast<uint16_t>(row->flag.value_or(0)) & mask) != 0;
}

std::string FromList(const QueryRows& q) {
  std::vector<std::unique_ptr<Source>> sources;
  for (const QueryRow* table : q.All(kQueryTable)) {
    auto source = std::make_unique<Source>();
    if (table->name1) {
      // [database].table
      if (table->expression) source->text = Bracketed(*table->expression) + ".";
      source->text += QualifiedNameText(*table->name1);
    } else if (table->expression) {
      // A subquery, as Access writes it: [SELECT ...]. unless a "]" in it ends the brackets.
      const std::string& subquery = *table->expression;
      const bool bracketed = subquery.find(']') == std::string::npos;
      source->text = bracketed ? "[" + subquery + "]." : "(" + subquery + ")";
    }
    source->text += AliasText(table->name2);
    source->key = table->name2 ? *table->name2 : table->name1.value_or("");
    sources.push_back(std::move(source));
  }
  const auto joins = q.All(kQueryJoin);
  if (joins.size() > kMaxJoins) throw FormatError("query with too many joins");
  auto take = [&sources](std::string_view table) -> std::unique_ptr<Source> {
    for (auto it = sources.begin(); it != sources.end(); ++it) {
      if ((*it)->Contains(table)) {
        std::unique_ptr<Source> found = std::move(*it);
        sources.erase(it);
        return found;
      }
    }
    auto simple = std::make_unique<Source>();
    simple->key = std::string(table);
    simple->text = QualifiedNameText(table);
    return simple;
  };
  for (const QueryRow* join : joins) {
    const std::string from = join->name1.value_or("");
    const std::string to = join->name2.value_or("");
    const std::string condition = join->expression.value_or("");
    // Both tables already joined together: one more condition of that join.
    Source* both = nullptr;
    for (auto& source : sources) {
      if (source->is_join() && source->Contains(from) && source->Contains(to)) both = source.get();
    }
    // Access shows the conditions of one join last stored first.
    if (both != nullptr) {
      both->conditions.insert(both->conditions.begin(), condition);
      continue;
    }
    auto joined = std::make_unique<Source>();
    joined->left = take(from);
    joined->right = take(to);
    joined->join_kind = join->flag.value_or(1);
    joined->conditions.push_back(condition);
    sources.push_back(std::move(joined));
  }
  std::vector<std::string> items;
  for (const auto& source : sources) {
    std::string text;
    source->Write(text, false);
    items.push_back(std::move(text));
  }
  std::string out = JoinList(items, kListSeparator);
  if (!out.empty()) {
    const QueryRow* remote = q.First(kQueryRemoteDatabase);
    if (remote != nullptr) out += RemoteDatabaseText(remote->name1, remote->expression);
  }
  return out;
}

std::string SelectOptions(const QueryRows& q) {
  const QueryRow* flags = q.First(kQueryFlag);
  if (flags == nullptr) return "";
  std::string out;
  if (HasFlag(flags, kQueryDistinct)) {
    out = "DISTINCT";
  } else if (HasFlag(flags, kQueryDistinctRow)) {
    out = "DISTINCTROW";
  }
  if (HasFlag(flags, kQueryTop)) {
    if (!out.empty()) out += ' ';
    out += "TOP " + flags->name1.value_or("");
    if (HasFlag(flags, kQueryPercent)) out += " PERCENT";
  }
  return out;
}

// The output columns (those `keep` accepts), "*" last when the query selects all.
std::string ColumnList(const QueryRows& q, bool (*keep)(const QueryRow*)) {
  std::vector<std::string> items;
  for (const QueryRow* column : q.All(kQueryColumn)) {
    if (keep(column)) items.push_back(column->expression.value_or("") + AliasText(column->name1));
  }
  const QueryRow* flags = q.First(kQueryFlag);
  if (flags != nullptr && HasFlag(flags, kQuerySelectStar)) items.push_back("*");
  return JoinList(items, kListSeparator);
}

std::string OrderByList(const QueryRows& q) {
  std::vector<std::string> items;
  for (const QueryRow* row : q.All(kQueryOrderBy)) {
    std::string item = row->expression.value_or("");
    if (row->name1 && SameName(*row->name1, kQueryDescending)) item += " DESC";
    items.push_back(std::move(item));
  }
  return JoinList(items, kListSeparator);
}

bool AnyColumn(const QueryRow*) { return true; }
bool NotAppendValue(const QueryRow* row) { return !HasFlag(row, kQueryAppendValue); }
bool CrosstabRowHeading(const QueryRow* row) { return HasFlag(row, kQueryCrosstabRowHeading); }

struct SelectParts {
  const char* keyword = "SELECT";  // before the options and the columns
  bool (*column_filter)(const QueryRow*) = AnyColumn;
  bool crosstab_grouping = false;  // GROUP BY only the row headings
  std::string into;                // " INTO ..." of a make-table query
};

// SELECT ... FROM ... WHERE ... GROUP BY ... HAVING ... ORDER BY ..., without ";".
std::string SelectText(const QueryRows& q, const SelectParts& parts) {
  std::string out = std::string(parts.keyword) + " ";
  const std::string options = SelectOptions(q);
  if (!options.empty()) out += options + " ";
  out += ColumnList(q, parts.column_filter);
  out += parts.into;
  const std::string from = FromList(q);
  if (!from.empty()) out += kNewLine + std::string("FROM ") + from;
  if (auto where = q.Expression(kQueryWhere)) out += kNewLine + std::string("WHERE ") + *where;
  std::vector<std::string> groups;
  for (const QueryRow* row : q.All(kQueryGroupBy)) {
    if (!parts.crosstab_grouping || HasFlag(row, kQueryCrosstabRowHeading)) {
      groups.push_back(row->expression.value_or(""));
    }
  }
  if (!groups.empty())
    out += kNewLine + std::string("GROUP BY ") + JoinList(groups, kListSeparator);
  if (auto having = q.Expression(kQueryHaving)) out += kNewLine + std::string("HAVING ") + *having;
  const std::string order = OrderByList(q);
  if (!order.empty()) out += kNewLine + std::string("ORDER BY ") + order;
  return out;
}

std::string ParametersClause(const QueryRows& q) {
  std::vector<std::string> items;
  for (const QueryRow* row : q.All(kQueryParameter)) {
    items.push_back(row->name1.value_or("") + " " +
                    ParameterTypeName(row->flag.value_or(0), row->extra.value_or(0)));
  }
  if (items.empty()) return "";
  return "PARAMETERS " + JoinList(items, kListSeparator) + ";" + kNewLine;
}

std::string UnionPart(const QueryRows& q, const char* id) {
  for (const QueryRow* table : q.All(kQueryTable)) {
    if (table->name2 && *table->name2 == id) return CleanUnionPart(table->expression.value_or(""));
  }
  return "";
}

// Access ends some stored texts (the whole text of a pass-through or data-definition query)
// with the NUL of a C string. It is no part of the text, and no list file could carry it.
std::optional<std::string> WithoutTerminator(std::optional<std::string> text) {
  if (text) {
    while (!text->empty() && text->back() == '\0') text->pop_back();
  }
  return text;
}

std::string Body(QueryKind kind, const QueryRows& q) {
  const QueryRow* type_row = q.First(kQueryType);
  switch (kind) {
    case QueryKind::kSelect:
      return SelectText(q, SelectParts{});
    case QueryKind::kMakeTable: {
      SelectParts parts;
      if (type_row != nullptr) {
        parts.into = " INTO " + QualifiedNameText(type_row->name1.value_or("")) +
                     RemoteDatabaseText(type_row->name2, type_row->expression);
      }
      return SelectText(q, parts);
    }
    case QueryKind::kAppend: {
      std::string out = "INSERT INTO ";
      if (type_row != nullptr) out += QualifiedNameText(type_row->name1.value_or(""));
      // The destination columns, where the query names them (Name2 of its output columns).
      std::vector<std::string> targets;
      for (const QueryRow* column : q.All(kQueryColumn)) {
        if (column->name2) targets.push_back(QualifiedNameText(*column->name2));
      }
      if (!targets.empty()) out += " (" + JoinList(targets, kListSeparator) + ")";
      if (type_row != nullptr) out += RemoteDatabaseText(type_row->name2, type_row->expression);
      out += kNewLine;
      std::vector<std::string> values;
      for (const QueryRow* column : q.All(kQueryColumn)) {
        if (HasFlag(column, kQueryAppendValue)) values.push_back(column->expression.value_or(""));
      }
      if (!values.empty()) return out + "VALUES (" + JoinList(values, kListSeparator) + ")";
      SelectParts parts;
      parts.column_filter = NotAppendValue;
      return out + SelectText(q, parts);
    }
    case QueryKind::kUpdate: {
      std::string out = "UPDATE " + FromList(q);
      std::vector<std::string> sets;
      for (const QueryRow* column : q.All(kQueryColumn)) {
        sets.push_back(QualifiedNameText(column->name2.value_or("")) + " = " +
                       column->expression.value_or(""));
      }
      out += kNewLine + std::string("SET ") + JoinList(sets, kListSeparator);
      if (auto where = q.Expression(kQueryWhere)) out += kNewLine + std::string("WHERE ") + *where;
      return out;
    }
    case QueryKind::kDelete: {
      SelectParts parts;
      parts.keyword = "DELETE";
      return SelectText(q, parts);
    }
    case QueryKind::kCrosstab: {
      std::string out;
      for (const QueryRow* column : q.All(kQueryColumn)) {
        if (!HasFlag(column, kQueryCrosstabPivot | kQueryCrosstabRowHeading)) {
          out =
              "TRANSFORM " + column->expression.value_or("") + AliasText(column->name1) + kNewLine;
          break;
        }
      }
      SelectParts parts;
      parts.column_filter = CrosstabRowHeading;
      parts.crosstab_grouping = true;
      out += SelectText(q, parts);
      for (const QueryRow* column : q.All(kQueryColumn)) {
        if (HasFlag(column, kQueryCrosstabPivot)) {
          out += kNewLine + std::string("PIVOT ") + column->expression.value_or("");
          break;
        }
      }
      return out;
    }
    case QueryKind::kUnion: {
      std::string out = UnionPart(q, kQueryUnionFirstPart) + kNewLine + "UNION ";
      if ((q.Flag(kQueryFlag) & kQueryUnionDistinct) == 0) out += "ALL ";
      out += UnionPart(q, kQueryUnionSecondPart);
      const std::string order = OrderByList(q);
      if (!order.empty()) out += kNewLine + std::string("ORDER BY ") + order;
      return out;
    }
    case QueryKind::kDataDefinition:
    case QueryKind::kPassThrough:
      return type_row != nullptr ? WithoutTerminator(type_row->expression).value_or("") : "";
  }
  return "";
}

}  // namespace

namespace {
enum QueryField { kObjectId, kAttribute, kExpression, kFlag, kLvExtra, kName1, kName2, kOrder };
}  // namespace

QueryRowDecoder::QueryRowDecoder(const TableDefinition& def)
    : cells_(def, {"ObjectId", "Attribute", "Expression", "Flag", "LvExtra", "Name1", "Name2",
                   "Order"}) {}

QueryRow QueryRowDecoder::Decode(const Row& row) const {
  const auto integer = [&](QueryField f) { return CellInteger(cells_(row, f)); };
  const auto text = [&](QueryField f) { return WithoutTerminator(CellText(cells_(row, f))); };
  QueryRow q;
  q.object_id = static_cast<int32_t>(integer(kObjectId).value_or(0));
  q.attribute = static_cast<int>(integer(kAttribute).value_or(-1));
  q.expression = text(kExpression);
  if (auto flag = integer(kFlag)) q.flag = static_cast<int>(*flag);
  if (auto extra = integer(kLvExtra)) q.extra = static_cast<int>(*extra);
  q.name1 = text(kName1);
  q.name2 = text(kName2);
  q.order = CellBinary(cells_(row, kOrder));
  return q;
}

Row EncodeQueryRow(const TableDefinition& def, const QueryRow& q) {
  const auto optional_text = [](const std::optional<std::string>& text) {
    return text ? Cell{*text} : Cell{};
  };
  const auto optional_integer = [](const std::optional<int>& value) {
    return value ? Cell{int64_t{*value}} : Cell{};
  };
  Row row(def.columns.size());
  SetField(def, row, "ObjectId", int64_t{q.object_id});
  SetField(def, row, "Attribute", int64_t{q.attribute});
  SetField(def, row, "Expression", optional_text(q.expression));
  SetField(def, row, "Flag", optional_integer(q.flag));
  SetField(def, row, "LvExtra", optional_integer(q.extra));
  SetField(def, row, "Name1", optional_text(q.name1));
  SetField(def, row, "Name2", optional_text(q.name2));
  SetField(def, row, "Order", q.order.empty() ? Cell{} : Cell{Bytes{q.order}});
  return row;
}

QueryKind KindOfQuery(uint32_t object_flags, const std::vector<QueryRow>& rows) {
  const QueryRows q(rows);
  const QueryRow* type_row = q.First(kQueryType);
  if (type_row != nullptr && type_row->flag) {
    const int type = *type_row->flag;
    if (type >= static_cast<int>(QueryKind::kSelect) &&
        type <= static_cast<int>(QueryKind::kUnion)) {
      return static_cast<QueryKind>(type);
    }
  }
  switch (object_flags & kQueryObjectFlagMask) {
    case 80:
      return QueryKind::kMakeTable;
    case 64:
      return QueryKind::kAppend;
    case 48:
      return QueryKind::kUpdate;
    case 32:
      return QueryKind::kDelete;
    case 16:
      return QueryKind::kCrosstab;
    case 96:
      return QueryKind::kDataDefinition;
    case 112:
      return QueryKind::kPassThrough;
    case 128:
      return QueryKind::kUnion;
    default:
      return QueryKind::kSelect;
  }
}

std::string RebuildQuerySql(uint32_t object_flags, const std::vector<QueryRow>& rows) {
  const QueryKind kind = KindOfQuery(object_flags, rows);
  const QueryRows q(rows);
  if (kind == QueryKind::kDataDefinition || kind == QueryKind::kPassThrough) return Body(kind, q);
  std::string out = ParametersClause(q) + Body(kind, q);
  if ((q.Flag(kQueryFlag) & kQueryOwnerAccess) != 0) {
    out += kNewLine + std::string("WITH OWNERACCESS OPTION");
  }
  return out + ";";
}

}  // namespace dbaccess::mdb
