#include "dbaccess/ado/filter.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::ado {
namespace {

constexpr int64_t kVbTrue = -1;  // a boolean read as a number, as ADO reads it

bool IsNameByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
         b == '_';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::optional<int64_t> ParseInteger(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::u32string CodePoints(std::string_view utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) out += NextCodePoint(utf8, i);
  return out;
}

// Wildcard match of folded texts: '*' and '%' any run, '_' and '?' one character.
bool LikeMatch(std::string_view text, std::string_view pattern) {
  const std::u32string t = CodePoints(text), p = CodePoints(pattern);
  size_t ti = 0, pi = 0;
  size_t star = std::u32string::npos, mark = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == U'*' || p[pi] == U'%')) {
      star = pi++;
      mark = ti;
    } else if (pi < p.size() && (p[pi] == U'_' || p[pi] == U'?' || p[pi] == t[ti])) {
      ++pi;
      ++ti;
    } else if (star != std::u32string::npos) {
      pi = star + 1;
      ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && (p[pi] == U'*' || p[pi] == U'%')) ++pi;
  return pi == p.size();
}

template <typename T>
int ThreeWay(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

class Filter::Parser {
 public:
  Parser(std::string_view text, const std::vector<std::string>& fields, Filter& out)
      : text_(text), fields_(fields), out_(out) {}

  int ParseAll() {
    const int root = ParseCondition();
    SkipBlanks();
    if (pos_ != text_.size()) throw jet_errors::InvalidArgument();
    return root;
  }

 private:
  int ParseCondition() {
    int left = ParseTerm();
    while (TakeKeyword("or")) left = Join(Op::kOr, left, ParseTerm());
    return left;
  }

  int ParseTerm() {
    int left = ParseFactor();
    while (TakeKeyword("and")) left = Join(Op::kAnd, left, ParseFactor());
    return left;
  }

  int ParseFactor() {
    SkipBlanks();
    if (TakeChar('(')) {
      const int inner = ParseCondition();
      SkipBlanks();
      if (!TakeChar(')')) throw jet_errors::InvalidArgument();
      return inner;
    }
    const int field = FieldIndex(ParseFieldName());
    const Op op = ParseOperator();
    Variant value = ParseValue();
    if (op == Op::kLike && !value.IsText()) throw jet_errors::InvalidArgument();
    if (value.IsNull() && op != Op::kEq && op != Op::kNe) throw jet_errors::InvalidArgument();
    Node& node = out_.nodes_.emplace_back();
    node.op = op;
    node.field = field;
    if (value.IsText()) node.folded = FoldName(value.AsText());
    node.value = std::move(value);
    return static_cast<int>(out_.nodes_.size()) - 1;
  }

  int Join(Op op, int left, int right) {
    Node& node = out_.nodes_.emplace_back();
    node.op = op;
    node.left = left;
    node.right = right;
    return static_cast<int>(out_.nodes_.size()) - 1;
  }

  std::string ParseFieldName() {
    SkipBlanks();
    if (TakeChar('[')) {
      const size_t close = text_.find(']', pos_);
      if (close == std::string_view::npos || close == pos_) throw jet_errors::InvalidArgument();
      std::string name(text_.substr(pos_, close - pos_));
      pos_ = close + 1;
      return name;
    }
    const std::string_view word = Word();
    if (word.empty()) throw jet_errors::InvalidArgument();
    return std::string(word);
  }

  int FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (SameName(fields_[i], name)) return static_cast<int>(i);
    }
    throw jet_errors::ItemNotInCollection();
  }

  Op ParseOperator() {
    SkipBlanks();
    if (TakeChar('=')) return Op::kEq;
    if (TakeChar('<')) {
      if (TakeChar('>')) return Op::kNe;
      if (TakeChar('=')) return Op::kLe;
      return Op::kLt;
    }
    if (TakeChar('>')) return TakeChar('=') ? Op::kGe : Op::kGt;
    if (TakeKeyword("like")) return Op::kLike;
    throw jet_errors::InvalidArgument();
  }

  Variant ParseValue() {
    SkipBlanks();
    if (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '"')) {
      return Variant::Text(QuotedText(text_[pos_]));
    }
    if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) {
      const size_t start = pos_++;
      Word();
      return Number(text_.substr(start, pos_ - start));
    }
    const std::string_view word = Word();
    if (word.empty()) throw jet_errors::InvalidArgument();
    if (SameName(word, "true")) return Variant::Boolean(true);
    if (SameName(word, "false")) return Variant::Boolean(false);
    if (SameName(word, "null")) return Variant::Null();
    return Number(word);
  }

  static Variant Number(std::string_view word) {
    const std::optional<int64_t> value = ParseInteger(word);
    if (!value) throw jet_errors::InvalidArgument();
    return Variant::Integer(*value);
  }

  std::string QuotedText(char quote) {
    std::string value;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) throw jet_errors::InvalidArgument();
      const char c = text_[pos_++];
      if (c != quote) {
        value += c;
      } else if (pos_ < text_.size() && text_[pos_] == quote) {
        value += quote;
        ++pos_;
      } else {
        return value;
      }
    }
  }

  std::string_view Word() {
    const size_t start = pos_;
    while (pos_ < text_.size() && IsNameByte(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  bool TakeKeyword(std::string_view keyword) {
    SkipBlanks();
    size_t end = pos_;
    while (end < text_.size() && IsNameByte(text_[end])) ++end;
    if (!SameName(text_.substr(pos_, end - pos_), keyword)) return false;
    pos_ = end;
    return true;
  }

  bool TakeChar(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  std::string_view text_;
  const std::vector<std::string>& fields_;
  Filter& out_;
  size_t pos_ = 0;
};

Filter Filter::Parse(std::string_view text, const std::vector<std::string>& field_names) {
  Filter filter;
  Parser parser(text, field_names, filter);
  filter.root_ = parser.ParseAll();
  return filter;
}

bool Filter::Matches(const std::vector<Variant>& row) const { return Eval(root_, row); }

bool Filter::Eval(int index, const std::vector<Variant>& row) const {
  const Node& node = nodes_[index];
  switch (node.op) {
    case Op::kAnd:
      return Eval(node.left, row) && Eval(node.right, row);
    case Op::kOr:
      return Eval(node.left, row) || Eval(node.right, row);
    default:
      return Compare(node, row[node.field]);
  }
}

bool Filter::Compare(const Node& node, const Variant& field) const {
  const bool field_null = field.IsNull() || field.IsEmpty();
  if (node.value.IsNull()) return (node.op == Op::kEq) == field_null;
  if (field_null) return false;

  int order = 0;
  if (field.IsText() || node.op == Op::kLike) {
    const std::string folded = FoldName(field.DisplayText());
    const std::string literal =
        node.value.IsText() ? node.folded : FoldName(node.value.DisplayText());
    if (node.op == Op::kLike) return LikeMatch(folded, literal);
    order = ThreeWay(folded, literal);
  } else {
    // A number or a boolean: the literal is read as a number (True is -1, as ADO reads it).
    const auto as_number = [](const Variant& v) -> std::optional<int64_t> {
      if (v.IsInteger()) return v.AsInteger();
      if (v.IsBoolean()) return v.AsBoolean() ? kVbTrue : 0;
      if (SameName(v.AsText(), "true")) return kVbTrue;
      if (SameName(v.AsText(), "false")) return 0;
      return ParseInteger(v.AsText());
    };
    const std::optional<int64_t> left = as_number(field);
    std::optional<int64_t> right = as_number(node.value);
    if (!right) throw jet_errors::InvalidArgument();
    if (field.IsBoolean() && node.value.IsInteger()) right = *right != 0 ? kVbTrue : 0;
    order = ThreeWay(*left, *right);
  }
  switch (node.op) {
    case Op::kEq:
      return order == 0;
    case Op::kNe:
      return order != 0;
    case Op::kLt:
      return order < 0;
    case Op::kGt:
      return order > 0;
    case Op::kLe:
      return order <= 0;
    case Op::kGe:
      return order >= 0;
    default:
      return false;
  }
}

}  // namespace dbaccess::ado
