#include "dbaccess/sql/saved_query.h"

#include <algorithm>
#include <utility>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/sql/lexer.h"
#include "dbaccess/sql/parser.h"

namespace dbaccess::sql {
namespace {

namespace je = jet_errors;

using ClauseError = JetError (*)();

// The alias Jet gives a subquery in FROM that has none.
constexpr char kSubqueryAlias[] = "%$##@_Alias";

// Words that cannot be a name or a value: the clause words and the operators. An
// expression, a list or a table ends before one of them.
bool IsReserved(const Token& t) {
  static const char* const kWords[] = {
      "SELECT", "FROM", "WHERE",     "GROUP", "HAVING",    "ORDER",       "BY",    "AS",
      "ON",     "JOIN", "INNER",     "LEFT",  "RIGHT",     "OUTER",       "UNION", "PIVOT",
      "INTO",   "SET",  "VALUES",    "WITH",  "TRANSFORM", "AND",         "OR",    "NOT",
      "XOR",    "EQV",  "IMP",       "MOD",   "LIKE",      "BETWEEN",     "IN",    "IS",
      "EXISTS", "ANY",  "ALL",       "SOME",  "DISTINCT",  "DISTINCTROW", "TOP",   "PERCENT",
      "ASC",    "DESC", "PARAMETERS"};
  if (t.kind != TokenKind::kWord) return false;
  for (const char* w : kWords) {
    if (t.IsKeyword(w)) return true;
  }
  return false;
}

// Reserved words that are also functions: Left(x, 1).
bool IsCallableReserved(const Token& t) { return t.IsKeyword("LEFT") || t.IsKeyword("RIGHT"); }

bool IsQualifierDot(const Token& t) { return t.IsSymbol('.') || t.IsSymbol('!'); }

// Where an expression ends: the end, ";", ",", ")" or a reserved word.
bool IsBoundary(const Token& t) {
  return t.kind == TokenKind::kEnd || t.IsSymbol(';') || t.IsSymbol(',') || t.IsSymbol(')') ||
         IsReserved(t);
}

// A parsed expression: the tokens [first, end), whether one pair of parentheses encloses
// all of it, and the conditions AND-ed at its top.
struct ExprRange {
  size_t first = 0;
  size_t end = 0;
  bool parenthesized = false;
  std::vector<ExprRange> and_parts;
};

// Operators of the binary levels, loosest first; kNotLevel and below are special.
enum Level {
  kImp,
  kEqv,
  kXor,
  kOr,
  kAnd,
  kNotLevel,
  kCompare,
  kConcat,
  kAdd,
  kMod,
  kIntDiv,
  kMul,
  kUnary,
  kPower,
};

bool IsOperatorOf(int level, const Token& t) {
  switch (level) {
    case kImp:
      return t.IsKeyword("IMP");
    case kEqv:
      return t.IsKeyword("EQV");
    case kXor:
      return t.IsKeyword("XOR");
    case kOr:
      return t.IsKeyword("OR");
    case kAnd:
      return t.IsKeyword("AND");
    case kConcat:
      return t.IsSymbol('&');
    case kAdd:
      return t.IsSymbol('+') || t.IsSymbol('-');
    case kMod:
      return t.IsKeyword("MOD");
    case kIntDiv:
      return t.IsSymbol('\\');
    case kMul:
      return t.IsSymbol('*') || t.IsSymbol('/');
    default:
      return false;
  }
}

bool IsComparison(const Token& t) {
  return t.IsSymbol('=') || t.IsSymbol("<>") || t.IsSymbol('<') || t.IsSymbol('>') ||
         t.IsSymbol("<=") || t.IsSymbol(">=");
}

class QueryParser {
 public:
  QueryParser(std::string_view text, int depth) : text_(text), depth_(depth) {
    Lexer lexer(text);
    for (;;) {
      Token t = lexer.Next();
      const bool last = t.kind == TokenKind::kEnd || t.kind == TokenKind::kError;
      tokens_.push_back(std::move(t));
      if (last) break;
    }
    limit_ = tokens_.size() - 1;
  }

  SavedQuery Parse();
  // A subquery given on its own ("[SELECT ...]." in FROM): one SELECT and nothing after.
  void ParseSubqueryText();

 private:
  // One level of nesting (parentheses, subqueries, joins, NOT and signs) while it lives.
  class Nest {
   public:
    explicit Nest(QueryParser& p) : p_(p) {
      if (++p_.depth_ > kMaxQueryNesting) throw je::ExpressionTooComplex();
    }
    ~Nest() { --p_.depth_; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    QueryParser& p_;
  };

  // The clause whose error a syntax error gives, while it lives.
  class Clause {
   public:
    Clause(QueryParser& p, ClauseError error) : p_(p), saved_(p.clause_error_) {
      p.clause_error_ = error;
    }
    ~Clause() { p_.clause_error_ = saved_; }
    Clause(const Clause&) = delete;
    Clause& operator=(const Clause&) = delete;

   private:
    QueryParser& p_;
    ClauseError saved_;
  };

  // Tokens past the limit read as the token at it (the end, or the UNION a part stops at).
  const Token& Peek(size_t k = 0) const { return tokens_[std::min(pos_ + k, limit_)]; }
  void Skip() {
    if (pos_ < limit_) ++pos_;
  }
  bool TakeKeyword(const char* word) {
    if (!Peek().IsKeyword(word)) return false;
    Skip();
    return true;
  }
  bool TakeSymbol(const char* symbol) {
    if (!Peek().IsSymbol(symbol)) return false;
    Skip();
    return true;
  }
  void ExpectKeyword(const char* word) {
    if (!TakeKeyword(word)) Fail();
  }
  void ExpectSymbol(const char* symbol) {
    if (!TakeSymbol(symbol)) Fail();
  }
  [[noreturn]] void Fail() const { throw clause_error_(); }

  // The source text of tokens [first, end), from the first's first byte to the last's last.
  std::string Span(size_t first, size_t end) const {
    if (end <= first) return "";
    return std::string(
        text_.substr(tokens_[first].begin, tokens_[end - 1].end - tokens_[first].begin));
  }
  // The expression being read, up to and including the token at fault.
  std::string FaultText() const {
    const size_t end = std::min(pos_ + 1, tokens_.size() - 1);
    return Span(expr_first_, std::max(end, expr_first_ + 1));
  }
  [[noreturn]] void ExprFail() const { throw je::SyntaxErrorInExpression(FaultText()); }
  // After an expression: a token that can neither continue it nor end it.
  void ExpectBoundary(const ExprRange& e) const {
    if (!IsBoundary(Peek()))
      throw je::MissingOperator(Span(e.first, std::min(pos_ + 1, limit_ + 1)));
  }

  QueryExpr ExprOf(size_t first, size_t end) const;
  QueryExpr ExprOf(const ExprRange& e) const { return ExprOf(e.first, e.end); }
  std::vector<std::string> Qualifiers(size_t first, size_t end) const;

  // An expression whose loosest operators are those of `level`.
  ExprRange Expression(int level = kImp);
  ExprRange Operand(int level);
  ExprRange Comparison();
  ExprRange Primary();
  void SubqueryInParentheses();  // after "(": SELECT ... ")"
  ExprRange Range(size_t first) const { return ExprRange{first, pos_, false, {}}; }

  void Parameters(SavedQuery& q);
  void Select(SelectClauses& s, QueryTarget* into);
  void Options(SelectClauses& s);
  void Columns(SelectClauses& s);
  void FromList(SelectClauses& s);
  std::vector<size_t> JoinedSource(SelectClauses& s);
  std::vector<size_t> SourcePrimary(SelectClauses& s);
  std::optional<std::string> OptionalAlias();
  std::optional<ExternalDatabase> InDatabase();
  std::string TableName();
  std::string TargetName();
  void Tail(SelectClauses& s);
  std::vector<std::string> ExpressionList();
  void Crosstab(SavedQuery& q);
  void Append(SavedQuery& q);
  void Update(SavedQuery& q);
  void Delete(SavedQuery& q);
  void Union(SavedQuery& q);
  void UnionPart(size_t begin, size_t end, std::vector<QueryOrder>& order);
  bool HasUnion() const;
  void Ending(SavedQuery& q, ClauseError statement_error);

  std::string_view text_;
  std::vector<Token> tokens_;  // the last is kEnd or kError
  size_t pos_ = 0;
  size_t limit_ = 0;
  int depth_;
  ClauseError clause_error_ = je::InvalidSqlStatement;
  size_t expr_first_ = 0;  // the first token of the outermost expression being read
  int expr_open_ = 0;      // expressions being read, one inside another
};

std::vector<std::string> QueryParser::Qualifiers(size_t first, size_t end) const {
  std::vector<std::string> out;
  for (size_t i = first; i < end; ++i) {
    const Token& t = tokens_[i];
    if (t.IsSymbol('(') && i + 1 < end && tokens_[i + 1].IsKeyword("SELECT")) {
      int open = 0;
      for (; i < end; ++i) {
        if (tokens_[i].IsSymbol('(')) ++open;
        if (tokens_[i].IsSymbol(')') && --open == 0) break;
      }
      continue;
    }
    const bool starts_chain = i == first || !IsQualifierDot(tokens_[i - 1]);
    if (t.IsName() && starts_chain && i + 2 < end && IsQualifierDot(tokens_[i + 1]) &&
        tokens_[i + 2].IsName()) {
      out.push_back(t.text);
    }
  }
  return out;
}

QueryExpr QueryParser::ExprOf(size_t first, size_t end) const {
  return QueryExpr{Span(first, end), Qualifiers(first, end)};
}

ExprRange QueryParser::Expression(int level) {
  Nest nest(*this);
  if (expr_open_++ == 0) expr_first_ = pos_;
  ExprRange e = Operand(level);
  --expr_open_;
  return e;
}

ExprRange QueryParser::Operand(int level) {
  const size_t first = pos_;
  if (level == kNotLevel) {
    if (!Peek().IsKeyword("NOT")) return Comparison();
    Skip();
    Nest nest(*this);
    Operand(kNotLevel);
    return Range(first);
  }
  if (level == kCompare) return Comparison();
  if (level == kUnary) {
    if (!Peek().IsSymbol('-') && !Peek().IsSymbol('+')) return Operand(kPower);
    Skip();
    Nest nest(*this);
    Operand(kUnary);
    return Range(first);
  }
  if (level == kPower) {
    ExprRange e = Primary();
    if (!Peek().IsSymbol('^')) return e;
    while (TakeSymbol("^")) {
      Nest nest(*this);
      Operand(kUnary);
    }
    return Range(first);
  }
  ExprRange e = Operand(level + 1);
  if (!IsOperatorOf(level, Peek())) return e;
  std::vector<ExprRange> parts;
  parts.push_back(std::move(e));
  while (IsOperatorOf(level, Peek())) {
    Skip();
    parts.push_back(Operand(level + 1));
  }
  ExprRange out = Range(first);
  if (level == kAnd) out.and_parts = std::move(parts);
  return out;
}

ExprRange QueryParser::Comparison() {
  const size_t first = pos_;
  ExprRange e = Operand(kConcat);
  bool any = false;
  for (;;) {
    const Token& t = Peek();
    if (IsComparison(t)) {
      Skip();
      if (Peek().IsKeyword("ANY") || Peek().IsKeyword("ALL") || Peek().IsKeyword("SOME")) {
        Skip();
        if (!TakeSymbol("(") || !Peek().IsKeyword("SELECT")) ExprFail();
        SubqueryInParentheses();
      } else {
        Operand(kConcat);
      }
      any = true;
      continue;
    }
    const bool negated =
        t.IsKeyword("NOT") &&
        (Peek(1).IsKeyword("LIKE") || Peek(1).IsKeyword("BETWEEN") || Peek(1).IsKeyword("IN"));
    if (negated) Skip();
    if (TakeKeyword("LIKE")) {
      Operand(kConcat);
    } else if (TakeKeyword("BETWEEN")) {
      Operand(kConcat);
      if (!TakeKeyword("AND")) ExprFail();
      Operand(kConcat);
    } else if (TakeKeyword("IN")) {
      if (!TakeSymbol("(")) ExprFail();
      if (Peek().IsKeyword("SELECT")) {
        SubqueryInParentheses();
      } else {
        Nest nest(*this);
        do {
          Expression();
        } while (TakeSymbol(","));
        if (!TakeSymbol(")")) ExprFail();
      }
    } else if (negated) {
      ExprFail();
    } else if (TakeKeyword("IS")) {
      TakeKeyword("NOT");
      if (!TakeKeyword("NULL")) ExprFail();
    } else {
      break;
    }
    any = true;
  }
  return any ? Range(first) : e;
}

void QueryParser::SubqueryInParentheses() {
  Nest nest(*this);
  SelectClauses inner;
  const int open = expr_open_;
  const size_t expr_first = expr_first_;
  expr_open_ = 0;
  Select(inner, nullptr);
  expr_open_ = open;
  expr_first_ = expr_first;
  if (!TakeSymbol(")")) ExprFail();
}

ExprRange QueryParser::Primary() {
  const size_t first = pos_;
  const Token& t = Peek();
  switch (t.kind) {
    case TokenKind::kNumber:
    case TokenKind::kString:
    case TokenKind::kDate:
    case TokenKind::kBinary:
      Skip();
      return Range(first);
    case TokenKind::kSymbol: {
      if (!t.IsSymbol('(')) ExprFail();
      Skip();
      if (Peek().IsKeyword("SELECT")) {
        SubqueryInParentheses();
        return Range(first);
      }
      Expression();
      if (!TakeSymbol(")")) ExprFail();
      ExprRange e = Range(first);
      e.parenthesized = true;
      return e;
    }
    case TokenKind::kWord:
    case TokenKind::kBracketName:
      break;
    default:
      ExprFail();
  }
  if (t.IsKeyword("EXISTS")) {
    Skip();
    if (!TakeSymbol("(") || !Peek().IsKeyword("SELECT")) ExprFail();
    SubqueryInParentheses();
    return Range(first);
  }
  const bool call = Peek(1).IsSymbol('(');
  if (IsReserved(t) && !(call && IsCallableReserved(t))) ExprFail();
  Skip();
  if (call) {
    Skip();  // (
    Nest nest(*this);
    if (Peek().IsSymbol('*') && Peek(1).IsSymbol(')')) {
      Skip();  // Count(*)
    } else if (!Peek().IsSymbol(')')) {
      do {
        Expression();
      } while (TakeSymbol(","));
    }
    if (!TakeSymbol(")")) ExprFail();
    return Range(first);
  }
  while (IsQualifierDot(Peek()) && Peek(1).IsName()) {
    Skip();
    Skip();
  }
  return Range(first);
}

// PARAMETERS name type, ...; where the type is the item's last word, with "(n)" after it
// for a text size, and the name everything before it.
void QueryParser::Parameters(SavedQuery& q) {
  Clause clause(*this, je::SyntaxErrorInParameters);
  Skip();  // PARAMETERS
  do {
    const size_t first = pos_;
    size_t end = first;
    while (end < limit_ && !tokens_[end].IsSymbol(',') && !tokens_[end].IsSymbol(';')) ++end;
    size_t type_at = end - std::min<size_t>(end - first, 1);
    QueryParameter p;
    if (end - first >= 4 && tokens_[end - 1].IsSymbol(')')) {
      if (!tokens_[end - 3].IsSymbol('(') || tokens_[end - 2].kind != TokenKind::kNumber) Fail();
      const std::string& digits = tokens_[end - 2].text;
      if (digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) Fail();
      p.size = std::stoi(digits);
      type_at = end - 4;
    }
    if (type_at <= first || tokens_[type_at].kind != TokenKind::kWord) Fail();
    const Token& type = tokens_[type_at];
    if (!type.IsKeyword("VALUE")) {
      const std::optional<TypeWord> word = ParseTypeWord(type.text);
      if (!word || word->auto_increment) Fail();
      // A parameter's Text is Text, with or without a size (the DDL Memo rule is ADO's).
      p.type = type.IsKeyword("TEXT") ? DataType::kText : word->type;
      if (p.size != 0 && (!word->takes_length || p.size < 1 || p.size > kMaxTextLength)) Fail();
    } else if (p.size != 0) {
      Fail();
    }
    p.name = Span(first, type_at);
    // [Name] loses its brackets when the bare words read back as the same name.
    if (type_at == first + 1 && tokens_[first].kind == TokenKind::kBracketName) {
      const std::string& inner = tokens_[first].text;
      Lexer words(inner);
      bool bare = !inner.empty() && inner.front() != ' ' && inner.back() != ' ';
      for (Token w = words.Next(); bare && w.kind != TokenKind::kEnd; w = words.Next()) {
        bare = w.kind == TokenKind::kWord;
      }
      if (bare) p.name = inner;
    }
    q.parameters.push_back(std::move(p));
    pos_ = end;
  } while (TakeSymbol(","));
  ExpectSymbol(";");
}

void QueryParser::Options(SelectClauses& s) {
  if (TakeKeyword("DISTINCT")) {
    s.distinct = true;
  } else if (TakeKeyword("DISTINCTROW")) {
    s.distinct_row = true;
  } else {
    TakeKeyword("ALL");
  }
  if (TakeKeyword("TOP")) {
    if (Peek().kind != TokenKind::kNumber) Fail();
    s.top = Peek().text;
    Skip();
    s.top_percent = TakeKeyword("PERCENT");
  }
}

void QueryParser::Columns(SelectClauses& s) {
  do {
    if (TakeSymbol("*")) {
      s.all_columns = true;
      continue;
    }
    if (IsBoundary(Peek())) Fail();
    const size_t first = pos_;
    // t.* (a name, its qualifiers, ".*")
    size_t k = 0;
    while (Peek(k).IsName() && IsQualifierDot(Peek(k + 1)) && Peek(k + 2).IsName()) k += 2;
    if (Peek(k).IsName() && !IsReserved(Peek(k)) && Peek(k + 1).IsSymbol('.') &&
        Peek(k + 2).IsSymbol('*')) {
      for (size_t i = 0; i < k + 3; ++i) Skip();
      s.columns.push_back(QueryColumn{ExprOf(first, pos_), std::nullopt});
      ExpectBoundary(Range(first));
      continue;
    }
    const ExprRange e = Expression();
    QueryColumn column{ExprOf(e), std::nullopt};
    if (TakeKeyword("AS")) {
      if (!Peek().IsName() || IsReserved(Peek())) Fail();
      column.alias = Peek().text;
      Skip();
    }
    ExpectBoundary(e);
    s.columns.push_back(std::move(column));
  } while (TakeSymbol(","));
}

std::optional<std::string> QueryParser::OptionalAlias() {
  if (TakeKeyword("AS")) {
    if (!Peek().IsName() || IsReserved(Peek())) Fail();
  } else if (!Peek().IsName() || IsReserved(Peek())) {
    return std::nullopt;
  }
  std::string alias = Peek().text;
  Skip();
  return alias;
}

std::optional<ExternalDatabase> QueryParser::InDatabase() {
  if (!TakeKeyword("IN")) return std::nullopt;
  if (Peek().kind != TokenKind::kString) Fail();
  ExternalDatabase db{Peek().text, std::nullopt};
  Skip();
  if (Peek().kind == TokenKind::kString || Peek().kind == TokenKind::kBracketName) {
    // The type is shown in brackets, which end at the first "]".
    if (Peek().text.find(']') != std::string::npos) Fail();
    db.type = Peek().text;
    Skip();
  }
  return db;
}

std::string QueryParser::TableName() {
  if (!Peek().IsName() || IsReserved(Peek())) Fail();
  std::string name = Peek().text;
  Skip();
  return name;
}

// An UPDATE target or an append target column, as written: a name and its qualifiers.
std::string QueryParser::TargetName() {
  const size_t first = pos_;
  TableName();
  while (IsQualifierDot(Peek()) && Peek(1).IsName()) {
    Skip();
    Skip();
  }
  return Span(first, pos_);
}

void QueryParser::FromList(SelectClauses& s) {
  Clause clause(*this, je::SyntaxErrorInFrom);
  do {
    JoinedSource(s);
  } while (TakeSymbol(","));
  s.database = InDatabase();
}

// A table, or two joined ("a INNER JOIN b ON c"); a second join needs parentheses.
std::vector<size_t> QueryParser::JoinedSource(SelectClauses& s) {
  Nest nest(*this);
  std::vector<size_t> left = SourcePrimary(s);
  auto join_kind = [this]() -> std::optional<JoinKind> {
    std::optional<JoinKind> kind;
    if (Peek().IsKeyword("INNER")) kind = JoinKind::kInner;
    if (Peek().IsKeyword("LEFT")) kind = JoinKind::kLeft;
    if (Peek().IsKeyword("RIGHT")) kind = JoinKind::kRight;
    if (!kind && Peek().IsKeyword("JOIN")) Fail();
    return kind;
  };
  const std::optional<JoinKind> kind = join_kind();
  if (!kind) return left;
  Clause clause(*this, je::SyntaxErrorInJoin);
  Skip();
  if (*kind != JoinKind::kInner) TakeKeyword("OUTER");
  ExpectKeyword("JOIN");
  std::vector<size_t> right = SourcePrimary(s);
  ExpectKeyword("ON");
  if (IsBoundary(Peek())) Fail();
  const ExprRange on = Expression();
  ExpectBoundary(on);
  if (join_kind()) throw je::MissingOperator(Span(on.first, pos_ + 1));
  QueryJoin join;
  join.kind = *kind;
  join.left = left;
  join.right = right;
  join.condition = ExprOf(on);
  if (on.and_parts.empty()) {
    join.parts.push_back(join.condition);
  } else {
    for (const ExprRange& part : on.and_parts) {
      join.parts.push_back(part.parenthesized ? ExprOf(part.first + 1, part.end - 1)
                                              : ExprOf(part));
    }
  }
  s.joins.push_back(std::move(join));
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

std::vector<size_t> QueryParser::SourcePrimary(SelectClauses& s) {
  Nest nest(*this);
  QueryTable table;
  if (Peek().IsSymbol('(')) {
    Skip();
    if (!Peek().IsKeyword("SELECT")) {
      std::vector<size_t> inner = JoinedSource(s);
      ExpectSymbol(")");
      return inner;
    }
    const size_t first = pos_;
    SelectClauses subquery;
    Select(subquery, nullptr);
    const size_t end = pos_;
    ExpectSymbol(")");
    table.subquery = true;
    table.source = Span(first, end);
  } else if (Peek().kind == TokenKind::kBracketName && Peek(1).IsSymbol('.') &&
             (!Peek(2).IsName() || IsReserved(Peek(2)))) {
    // [SELECT ...]. AS x: a subquery as Access writes it.
    QueryParser inner(Peek().text, depth_);
    inner.ParseSubqueryText();
    table.subquery = true;
    table.source = Peek().text;
    Skip();
    Skip();
  } else {
    table.name = TableName();
    if (Peek().IsSymbol('.') && Peek(1).IsName() && !IsReserved(Peek(1))) {
      Skip();
      table.source = std::move(table.name);
      table.name = TableName();
    }
  }
  table.alias = OptionalAlias();
  if (table.subquery && !table.alias) table.alias = kSubqueryAlias;
  s.tables.push_back(std::move(table));
  return {s.tables.size() - 1};
}

std::vector<std::string> QueryParser::ExpressionList() {
  std::vector<std::string> out;
  do {
    if (IsBoundary(Peek())) Fail();
    const ExprRange e = Expression();
    ExpectBoundary(e);
    out.push_back(Span(e.first, e.end));
  } while (TakeSymbol(","));
  return out;
}

void QueryParser::Tail(SelectClauses& s) {
  if (TakeKeyword("WHERE")) {
    Clause clause(*this, je::SyntaxErrorInWhere);
    if (IsBoundary(Peek())) Fail();
    const ExprRange e = Expression();
    ExpectBoundary(e);
    s.where = Span(e.first, e.end);
  }
  if (TakeKeyword("GROUP")) {
    Clause clause(*this, je::SyntaxErrorInGroupBy);
    ExpectKeyword("BY");
    s.group_by = ExpressionList();
  }
  if (TakeKeyword("HAVING")) {
    Clause clause(*this, je::SyntaxErrorInHaving);
    if (IsBoundary(Peek())) Fail();
    const ExprRange e = Expression();
    ExpectBoundary(e);
    s.having = Span(e.first, e.end);
  }
  if (TakeKeyword("ORDER")) {
    Clause clause(*this, je::SyntaxErrorInOrderBy);
    ExpectKeyword("BY");
    do {
      if (IsBoundary(Peek())) Fail();
      const ExprRange e = Expression();
      QueryOrder order{Span(e.first, e.end), false};
      if (TakeKeyword("DESC")) {
        order.descending = true;
      } else {
        TakeKeyword("ASC");
      }
      ExpectBoundary(e);
      s.order_by.push_back(std::move(order));
    } while (TakeSymbol(","));
  }
}

void QueryParser::Select(SelectClauses& s, QueryTarget* into) {
  Nest nest(*this);
  Clause clause(*this, je::SyntaxErrorInSelect);
  ExpectKeyword("SELECT");
  Options(s);
  Columns(s);
  if (into != nullptr && TakeKeyword("INTO")) {
    into->name = TableName();
    into->database = InDatabase();
  }
  if (TakeKeyword("FROM")) FromList(s);
  Tail(s);
}

void QueryParser::Crosstab(SavedQuery& q) {
  Clause clause(*this, je::SyntaxErrorInTransform);
  Skip();  // TRANSFORM
  if (IsBoundary(Peek())) Fail();
  const ExprRange value = Expression();
  QueryColumn column{ExprOf(value), std::nullopt};
  if (TakeKeyword("AS")) column.alias = TableName();
  ExpectBoundary(value);
  q.transform = std::move(column);
  Select(q.select, nullptr);
  ExpectKeyword("PIVOT");
  if (IsBoundary(Peek())) Fail();
  // PIVOT x [IN (v, ...)]: the expression read without IN first, so that the list is the
  // clause's and not an operator of the expression.
  const ExprRange heading = Expression(kConcat);
  if (TakeKeyword("IN")) {
    q.pivot = Span(heading.first, heading.end);
    ExpectSymbol("(");
    ExpressionList();
    ExpectSymbol(")");
    q.pivot_text = Span(heading.first, pos_);
    return;
  }
  pos_ = heading.first;
  const ExprRange whole = Expression();
  ExpectBoundary(whole);
  q.pivot = q.pivot_text = Span(whole.first, whole.end);
}

void QueryParser::Append(SavedQuery& q) {
  Clause clause(*this, je::SyntaxErrorInInsert);
  Skip();  // INSERT
  ExpectKeyword("INTO");
  q.target.name = TableName();
  if (TakeSymbol("(")) {
    do {
      q.target_columns.push_back(TargetName());
    } while (TakeSymbol(","));
    ExpectSymbol(")");
  }
  q.target.database = InDatabase();
  size_t count = 0;
  if (TakeKeyword("VALUES")) {
    ExpectSymbol("(");
    q.values = ExpressionList();
    ExpectSymbol(")");
    count = q.values.size();
  } else if (Peek().IsKeyword("SELECT")) {
    Select(q.select, nullptr);
    count = q.select.all_columns ? 0 : q.select.columns.size();
  } else {
    Fail();
  }
  if (!q.target_columns.empty() && count != q.target_columns.size()) {
    throw je::ValueCountMismatch();
  }
}

void QueryParser::Update(SavedQuery& q) {
  Clause clause(*this, je::SyntaxErrorInUpdate);
  Skip();  // UPDATE
  do {
    JoinedSource(q.select);
  } while (TakeSymbol(","));
  ExpectKeyword("SET");
  do {
    QueryAssignment a;
    a.target = TargetName();
    ExpectSymbol("=");
    if (IsBoundary(Peek())) Fail();
    const ExprRange e = Expression();
    ExpectBoundary(e);
    a.value = Span(e.first, e.end);
    q.assignments.push_back(std::move(a));
  } while (TakeSymbol(","));
  if (TakeKeyword("WHERE")) {
    if (IsBoundary(Peek())) Fail();
    const ExprRange e = Expression();
    ExpectBoundary(e);
    q.select.where = Span(e.first, e.end);
  }
}

// DELETE [DISTINCTROW] [columns] FROM ...; without columns, all of them ("DELETE *").
void QueryParser::Delete(SavedQuery& q) {
  Clause clause(*this, je::SyntaxErrorInDelete);
  Skip();  // DELETE
  Options(q.select);
  if (q.select.top) Fail();
  if (Peek().IsKeyword("FROM")) {
    q.select.all_columns = true;
  } else {
    Columns(q.select);
  }
  ExpectKeyword("FROM");
  FromList(q.select);
  Tail(q.select);
}

bool QueryParser::HasUnion() const {
  int open = 0;
  for (size_t i = pos_; i < limit_; ++i) {
    if (tokens_[i].IsSymbol('(')) ++open;
    if (tokens_[i].IsSymbol(')')) --open;
    if (open == 0 && tokens_[i].IsKeyword("UNION")) return true;
  }
  return false;
}

// One SELECT of a union, tokens [begin, end), in parentheses or not; its ORDER BY (outside
// the parentheses) goes to `order`.
void QueryParser::UnionPart(size_t begin, size_t end, std::vector<QueryOrder>& order) {
  const size_t saved_limit = limit_;
  pos_ = begin;
  limit_ = end;
  SelectClauses part;
  if (Peek().IsSymbol('(')) {
    size_t close = begin;
    for (int open = 0; close < end; ++close) {
      if (tokens_[close].IsSymbol('(')) ++open;
      if (tokens_[close].IsSymbol(')') && --open == 0) break;
    }
    if (close >= end) Fail();
    limit_ = close;
    Skip();
    if (!Peek().IsKeyword("SELECT")) Fail();
    Select(part, nullptr);
    if (pos_ != close) Fail();
    limit_ = end;
    pos_ = close + 1;
    SelectClauses after;
    if (Peek().IsKeyword("ORDER")) Tail(after);
    order = std::move(after.order_by);
  } else {
    if (!Peek().IsKeyword("SELECT")) Fail();
    Select(part, nullptr);
    order = std::move(part.order_by);
  }
  if (pos_ != end) Fail();
  limit_ = saved_limit;
}

// SELECT ... UNION [ALL] SELECT ... [ORDER BY ...]: Jet keeps the text before the last
// UNION, up to the word, and the last SELECT, without the ORDER BY of the whole union.
void QueryParser::Union(SavedQuery& q) {
  Clause clause(*this, je::SyntaxErrorInUnion);
  const size_t first = pos_;
  std::vector<size_t> unions;
  int open = 0;
  for (size_t i = pos_; i < limit_; ++i) {
    if (tokens_[i].IsSymbol('(')) ++open;
    if (tokens_[i].IsSymbol(')')) --open;
    if (open == 0 && tokens_[i].IsKeyword("UNION")) unions.push_back(i);
  }
  // Where the last part ends: WITH OWNERACCESS OPTION, ";" or the end.
  size_t end = unions.back() + 1;
  for (open = 0; end < limit_; ++end) {
    if (tokens_[end].IsSymbol('(')) ++open;
    if (tokens_[end].IsSymbol(')')) --open;
    if (open == 0 && (tokens_[end].IsSymbol(';') || tokens_[end].IsKeyword("WITH"))) break;
  }
  size_t begin = first;
  std::vector<QueryOrder> order;
  for (size_t u : unions) {
    UnionPart(begin, u, order);
    begin = u + 1;
    if (tokens_[begin].IsKeyword("ALL")) ++begin;
  }
  q.union_all = tokens_[unions.back() + 1].IsKeyword("ALL");
  UnionPart(begin, end, q.select.order_by);
  // The last part's ORDER BY is the whole union's: the part's text stops before it.
  size_t part_end = end;
  open = 0;
  for (size_t i = begin; i < end && !q.select.order_by.empty(); ++i) {
    if (tokens_[i].IsSymbol('(')) ++open;
    if (tokens_[i].IsSymbol(')')) --open;
    if (open == 0 && tokens_[i].IsKeyword("ORDER")) part_end = i;
  }
  q.first_part = std::string(
      text_.substr(tokens_[first].begin, tokens_[unions.back()].begin - tokens_[first].begin));
  q.second_part = Span(begin, part_end);
}

void QueryParser::Ending(SavedQuery& q, ClauseError statement_error) {
  Clause clause(*this, statement_error);
  if (TakeKeyword("WITH")) {
    ExpectKeyword("OWNERACCESS");
    ExpectKeyword("OPTION");
    q.owner_access = true;
  }
  if (TakeSymbol(";")) {
    if (Peek().kind != TokenKind::kEnd) throw je::CharactersAfterEnd();
    return;
  }
  if (Peek().kind != TokenKind::kEnd) Fail();
}

void QueryParser::ParseSubqueryText() {
  if (!Peek().IsKeyword("SELECT")) throw je::SyntaxErrorInFrom();
  SelectClauses s;
  Select(s, nullptr);
  if (Peek().kind != TokenKind::kEnd) throw je::SyntaxErrorInFrom();
}

SavedQuery QueryParser::Parse() {
  SavedQuery q;
  if (Peek().IsKeyword("PARAMETERS")) Parameters(q);
  const Token& t = Peek();
  if (t.IsKeyword("CREATE") || t.IsKeyword("ALTER") || t.IsKeyword("DROP")) {
    if (!q.parameters.empty()) Fail();
    ParseStatement(text_);
    q.kind = QueryKind::kDdl;
    q.text = std::string(text_);
    return q;
  }
  ClauseError statement_error = je::SyntaxErrorInSelect;
  if ((t.IsKeyword("SELECT") || t.IsSymbol('(')) && HasUnion()) {
    q.kind = QueryKind::kUnion;
    statement_error = je::SyntaxErrorInUnion;
    Union(q);
  } else if (t.IsKeyword("SELECT")) {
    Select(q.select, &q.target);
    q.kind = q.target.name.empty() ? QueryKind::kSelect : QueryKind::kMakeTable;
  } else if (t.IsKeyword("TRANSFORM")) {
    q.kind = QueryKind::kCrosstab;
    statement_error = je::SyntaxErrorInTransform;
    Crosstab(q);
  } else if (t.IsKeyword("INSERT")) {
    q.kind = QueryKind::kAppend;
    statement_error = je::SyntaxErrorInInsert;
    Append(q);
  } else if (t.IsKeyword("UPDATE")) {
    q.kind = QueryKind::kUpdate;
    statement_error = je::SyntaxErrorInUpdate;
    Update(q);
  } else if (t.IsKeyword("DELETE")) {
    q.kind = QueryKind::kDelete;
    statement_error = je::SyntaxErrorInDelete;
    Delete(q);
  } else {
    throw je::InvalidSqlStatement();
  }
  Ending(q, statement_error);
  return q;
}

}  // namespace

SavedQuery ParseSavedQuery(std::string_view sql) { return QueryParser(sql, 0).Parse(); }

}  // namespace dbaccess::sql
