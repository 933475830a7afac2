#include "dbaccess/catalog/query_kind.h"

#include <algorithm>
#include <string>

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

// Walks the bare words of a statement one at a time, skipping quoted texts, [names] and
// #dates#; a ";" at depth 0 ends the statement. Nothing is collected, so a query of any
// length is classified in constant memory.
class WordScanner {
 public:
  explicit WordScanner(std::string_view sql) : sql_(sql) {}

  // The next word; false at the end of the statement.
  bool Next(Word& word) {
    while (!done_ && i_ < sql_.size()) {
      const char c = sql_[i_];
      if (c == '\'' || c == '"' || c == '#') {
        for (++i_; i_ < sql_.size(); ++i_) {
          if (sql_[i_] != c) continue;
          if (c != '#' && i_ + 1 < sql_.size() && sql_[i_ + 1] == c) {
            ++i_;  // a doubled quote stands for itself
            continue;
          }
          break;
        }
        ++i_;
      } else if (c == '[') {
        const size_t close = sql_.find(']', i_);
        i_ = close == std::string_view::npos ? sql_.size() : close + 1;
      } else if (c == '(') {
        ++depth_;
        ++i_;
      } else if (c == ')') {
        if (depth_ > 0) --depth_;
        ++i_;
      } else if (c == ';' && depth_ == 0) {
        done_ = true;
      } else if (IsWordByte(c)) {
        const size_t start = i_;
        while (i_ < sql_.size() && IsWordByte(sql_[i_])) ++i_;
        word = {sql_.substr(start, i_ - start), depth_};
        return true;
      } else {
        ++i_;
      }
    }
    i_ = std::min(i_, sql_.size());
    done_ = true;
    return false;
  }

  // Where the statement ended, once Next has said so: the position of its ";", or the
  // text's size.
  size_t end() const { return i_; }

 private:
  std::string_view sql_;
  size_t i_ = 0;
  int depth_ = 0;
  bool done_ = false;
};

bool Is(const Word& w, std::string_view keyword) { return SameName(w.text, keyword); }

// The kind from the statement's first word and the words after it.
QueryKind KindOf(const Word& first, WordScanner& rest) {
  if (Is(first, "transform")) return QueryKind::kCrosstab;
  if (Is(first, "insert")) return QueryKind::kAppend;
  if (Is(first, "update")) return QueryKind::kUpdate;
  if (Is(first, "delete")) return QueryKind::kDelete;
  if (Is(first, "create") || Is(first, "alter") || Is(first, "drop")) return QueryKind::kDdl;
  if (!Is(first, "select")) return QueryKind::kOther;
  const int top = first.depth;
  bool before_from = true;
  for (Word w{}; rest.Next(w);) {
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
  WordScanner words(sql);
  Word first{};
  if (!words.Next(first)) return result;
  if (Is(first, "parameters") && first.depth == 0) {
    result.has_parameters = true;
    while (words.Next(first)) {
      // the words of the PARAMETERS clause
    }
    const size_t end = words.end();
    sql.remove_prefix(end < sql.size() ? end + 1 : sql.size());
    words = WordScanner(sql);
    if (!words.Next(first)) return result;
  }
  result.kind = KindOf(first, words);
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
