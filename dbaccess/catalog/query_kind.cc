#include "dbaccess/catalog/query_kind.h"

#include <string>
#include <vector>

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess {
namespace {

constexpr int kFlagsSelect = 0;
constexpr int kFlagsCrosstab = 16;
constexpr int kFlagsDelete = 32;
constexpr int kFlagsUpdate = 48;
constexpr int kFlagsAppend = 64;
constexpr int kFlagsMakeTable = 80;
constexpr int kFlagsDdl = 96;
constexpr int kFlagsPassThrough = 112;
constexpr int kFlagsUnion = 128;

struct Word {
  std::string_view text;
  int depth;  // parentheses open around it
};

bool IsWordByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
         b == '_';
}

// The bare words of a statement, skipping quoted texts, [names] and #dates#. A ";" at
// depth 0 ends the statement; its position goes to `end`.
std::vector<Word> Words(std::string_view sql, size_t& end) {
  std::vector<Word> words;
  int depth = 0;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '#') {
      for (++i; i < sql.size(); ++i) {
        if (sql[i] != c) continue;
        if (c != '#' && i + 1 < sql.size() && sql[i + 1] == c) {
          ++i;  // a doubled quote stands for itself
          continue;
        }
        break;
      }
      ++i;
    } else if (c == '[') {
      const size_t close = sql.find(']', i);
      i = close == std::string_view::npos ? sql.size() : close + 1;
    } else if (c == '(') {
      ++depth;
      ++i;
    } else if (c == ')') {
      if (depth > 0) --depth;
      ++i;
    } else if (c == ';' && depth == 0) {
      end = i;
      return words;
    } else if (IsWordByte(c)) {
      const size_t start = i;
      while (i < sql.size() && IsWordByte(sql[i])) ++i;
      words.push_back({sql.substr(start, i - start), depth});
    } else {
      ++i;
    }
  }
  end = sql.size();
  return words;
}

bool Is(const Word& w, std::string_view keyword) { return SameName(w.text, keyword); }

QueryKind KindOf(const std::vector<Word>& words) {
  if (words.empty()) return QueryKind::kOther;
  const Word& first = words.front();
  if (Is(first, "transform")) return QueryKind::kCrosstab;
  if (Is(first, "insert")) return QueryKind::kAppend;
  if (Is(first, "update")) return QueryKind::kUpdate;
  if (Is(first, "delete")) return QueryKind::kDelete;
  if (Is(first, "create") || Is(first, "alter") || Is(first, "drop")) return QueryKind::kDdl;
  if (!Is(first, "select")) return QueryKind::kOther;
  const int top = first.depth;
  bool before_from = true;
  for (const Word& w : words) {
    if (w.depth > top) continue;  // inside a subquery or a function call
    if (Is(w, "from")) before_from = false;
    if (before_from && Is(w, "into")) return QueryKind::kMakeTable;
    if (Is(w, "union")) return QueryKind::kUnion;
  }
  return QueryKind::kSelect;
}

}  // namespace

QueryClass ClassifyQuery(std::string_view sql) {
  QueryClass result;
  size_t end = 0;
  std::vector<Word> words = Words(sql, end);
  if (!words.empty() && Is(words.front(), "parameters") && words.front().depth == 0) {
    result.has_parameters = true;
    sql.remove_prefix(end < sql.size() ? end + 1 : sql.size());
    words = Words(sql, end);
  }
  result.kind = KindOf(words);
  return result;
}

bool IsView(std::string_view sql) {
  const QueryClass c = ClassifyQuery(sql);
  return !c.has_parameters && (c.kind == QueryKind::kSelect || c.kind == QueryKind::kUnion);
}

int QueryObjectFlags(QueryKind kind) {
  switch (kind) {
    case QueryKind::kSelect:
      return kFlagsSelect;
    case QueryKind::kUnion:
      return kFlagsUnion;
    case QueryKind::kCrosstab:
      return kFlagsCrosstab;
    case QueryKind::kMakeTable:
      return kFlagsMakeTable;
    case QueryKind::kAppend:
      return kFlagsAppend;
    case QueryKind::kUpdate:
      return kFlagsUpdate;
    case QueryKind::kDelete:
      return kFlagsDelete;
    case QueryKind::kDdl:
      return kFlagsDdl;
    case QueryKind::kOther:
      return kFlagsPassThrough;
  }
  return kFlagsPassThrough;
}

}  // namespace dbaccess
