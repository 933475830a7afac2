#include "dbaccess/sql/parser.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/sql/lexer.h"

namespace dbaccess::sql {

namespace je = jet_errors;

// Which clause a syntax error belongs to (see the table in parser.h).
enum class Clause {
  kStatement,
  kCreateTable,
  kField,
  kConstraint,
  kAlterTable,
  kCreateIndex,
  kDrop,
  kInsert,
};

namespace {

JetError SyntaxError(Clause clause) {
  switch (clause) {
    case Clause::kStatement:
      return je::InvalidSqlStatement();
    case Clause::kCreateTable:
      return je::SyntaxErrorInCreateTable();
    case Clause::kField:
      return je::SyntaxErrorInFieldDefinition();
    case Clause::kConstraint:
      return je::SyntaxErrorInConstraint();
    case Clause::kAlterTable:
      return je::SyntaxErrorInAlterTable();
    case Clause::kCreateIndex:
      return je::SyntaxErrorInCreateIndex();
    case Clause::kDrop:
      return je::SyntaxErrorInDrop();
    case Clause::kInsert:
      return je::SyntaxErrorInInsert();
  }
  return je::InvalidSqlStatement();
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// Words that cannot stand for a name or a value inside an expression.
bool IsReservedInExpression(const Token& t) {
  static const char* const kWords[] = {
      "AND", "OR", "NOT",        "XOR",     "EQV",        "IMP",     "MOD",  "LIKE",  "BETWEEN",
      "IN",  "IS", "CONSTRAINT", "PRIMARY", "REFERENCES", "DEFAULT", "WITH", "UNIQUE"};
  for (const char* w : kWords) {
    if (t.IsKeyword(w)) return true;
  }
  return false;
}

constexpr int kMaxDecimalPrecision = 28;

// How deep an expression may nest: parentheses, function calls, NOT and signs, and chains of
// operators all count, so that neither the parser's recursion nor the recursion of whoever
// walks the tree later (evaluation, copying, freeing) can run out of stack. Far above what
// a default or a value needs; Jet refuses such expressions as too complex too.
constexpr int kMaxExpressionDepth = 200;

}  // namespace

class Parser {
 public:
  Parser(std::string_view text, bool script) : lexer_(text, script), script_(script) {}

  const Token& Peek(size_t k = 0) {
    while (ahead_.size() <= k) ahead_.push_back(lexer_.Next());
    return ahead_[k];
  }

  Token Take() {
    Peek();
    Token t = std::move(ahead_.front());
    ahead_.pop_front();
    if (t.kind == TokenKind::kError) Fail();
    last_end_ = t.end;
    return t;
  }

  [[noreturn]] void Fail() { throw SyntaxError(clause_); }

  bool TakeKeyword(const char* keyword) {
    if (!Peek().IsKeyword(keyword)) return false;
    Take();
    return true;
  }
  void ExpectKeyword(const char* keyword) {
    if (!TakeKeyword(keyword)) Fail();
  }
  bool TakeSymbol(const char* symbol) {
    if (!Peek().IsSymbol(symbol)) return false;
    Take();
    return true;
  }
  void ExpectSymbol(const char* symbol) {
    if (!TakeSymbol(symbol)) Fail();
  }

  std::string Name() {
    if (!Peek().IsName()) Fail();
    return Take().text;
  }

  // A statement without its terminator. The clause stays that of the statement, so that
  // what follows it is reported as an error of the statement.
  Statement ParseStatementBody();

  // After a statement: ";" (required in scripts) and, for a single statement, nothing else.
  void FinishSingle() {
    if (TakeSymbol(";")) {
      if (Peek().kind != TokenKind::kEnd) throw je::CharactersAfterEnd();
      return;
    }
    if (Peek().kind != TokenKind::kEnd) Fail();
  }
  void FinishInScript() {
    if (!TakeSymbol(";")) Fail();
  }

  Expr Expression() {
    DepthScope scope(*this);
    return ExprImp();
  }
  size_t last_end() const { return last_end_; }
  Clause clause_ = Clause::kStatement;

 private:
  // One level of expression nesting for as long as it lives; too many throw 3071.
  class DepthScope {
   public:
    explicit DepthScope(Parser& p) : p_(p) {
      if (++p_.depth_ > kMaxExpressionDepth) {
        --p_.depth_;
        throw je::ExpressionTooComplex();
      }
    }
    ~DepthScope() { --p_.depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

   private:
    Parser& p_;
  };

  class ClauseScope {
   public:
    ClauseScope(Parser& p, Clause c) : p_(p), saved_(p.clause_) { p.clause_ = c; }
    ~ClauseScope() { p_.clause_ = saved_; }

   private:
    Parser& p_;
    Clause saved_;
  };

  Statement CreateTableStatement();
  Statement AlterTableStatement();
  Statement CreateIndexStatement();
  Statement InsertStatement();
  Statement CreateQueryDefStatement();

  bool StartsTableConstraint();
  ColumnDef ColumnDefinition();
  TypeSpec Type(const std::string& column);
  ConstraintDef ColumnConstraint(const std::string& column);
  ConstraintDef TableConstraint();
  void References(ConstraintDef& d);
  Rule ReferentialRule();
  std::vector<std::string> NameList();
  int64_t Integer();
  std::string TextExpression();

  Expr ExprImp();
  Expr ExprEqv();
  Expr ExprXor();
  Expr ExprOr();
  Expr ExprAnd();
  Expr ExprNot();
  Expr ExprCompare();
  Expr ExprConcat();
  Expr ExprAdd();
  Expr ExprMod();
  Expr ExprIntDiv();
  Expr ExprMul();
  Expr ExprUnary();
  Expr ExprPower();
  Expr ExprPrimary();
  Expr Binary(Expr lhs, std::string op, Expr rhs);
  // Sets e's depth from its arguments'; throws 3071 when the tree grows too deep.
  void Nested(Expr& e) const;

  Lexer lexer_;
  bool script_;
  std::deque<Token> ahead_;
  size_t last_end_ = 0;
  int depth_ = 0;  // expression levels open in the parser's recursion
};

Statement Parser::ParseStatementBody() {
  const Token& t = Peek();
  if (t.kind == TokenKind::kEnd) throw je::InvalidSqlStatement();
  const Token& n = Peek(1);
  if (t.IsKeyword("CREATE")) {
    if (n.IsKeyword("TABLE")) return CreateTableStatement();
    if (n.IsKeyword("UNIQUE") || n.IsKeyword("INDEX")) return CreateIndexStatement();
    if (script_ && n.IsKeyword("QUERYDEF")) return CreateQueryDefStatement();
    if (n.IsKeyword("VIEW") || n.IsKeyword("PROCEDURE") || n.IsKeyword("USER") ||
        n.IsKeyword("GROUP") || n.IsKeyword("DATABASE")) {
      throw je::StatementNotSupported("CREATE " + Upper(n.text));
    }
    clause_ = Clause::kCreateTable;
    Fail();
  }
  if (t.IsKeyword("DROP")) {
    clause_ = Clause::kDrop;
    if (n.IsKeyword("VIEW") || n.IsKeyword("PROCEDURE") || n.IsKeyword("USER") ||
        n.IsKeyword("GROUP")) {
      throw je::StatementNotSupported("DROP " + Upper(n.text));
    }
    Take();
    if (TakeKeyword("TABLE")) return DropTable{Name()};
    ExpectKeyword("INDEX");
    DropIndex d;
    d.index = Name();
    ExpectKeyword("ON");
    d.table = Name();
    return d;
  }
  if (t.IsKeyword("ALTER")) {
    if (n.IsKeyword("USER") || n.IsKeyword("DATABASE")) {
      throw je::StatementNotSupported("ALTER " + Upper(n.text));
    }
    return AlterTableStatement();
  }
  if (t.IsKeyword("INSERT")) return InsertStatement();
  static const char* const kOthers[] = {"SELECT",    "UPDATE",  "DELETE", "TRANSFORM", "PARAMETERS",
                                        "PROCEDURE", "EXECUTE", "EXEC",   "GRANT",     "REVOKE"};
  for (const char* w : kOthers) {
    if (t.IsKeyword(w)) throw je::StatementNotSupported(w);
  }
  throw je::InvalidSqlStatement();
}

bool Parser::StartsTableConstraint() {
  const Token& t = Peek();
  const Token& n = Peek(1);
  return t.IsKeyword("CONSTRAINT") || (t.IsKeyword("PRIMARY") && n.IsKeyword("KEY")) ||
         (t.IsKeyword("UNIQUE") && n.IsSymbol("(")) ||
         (t.IsKeyword("FOREIGN") && n.IsKeyword("KEY"));
}

Statement Parser::CreateTableStatement() {
  clause_ = Clause::kCreateTable;
  Take();  // CREATE
  Take();  // TABLE
  CreateTable ct;
  ct.table = Name();
  ExpectSymbol("(");
  do {
    if (!Peek().IsName()) Fail();
    if (StartsTableConstraint()) {
      ct.constraints.push_back(TableConstraint());
    } else {
      ct.columns.push_back(ColumnDefinition());
    }
  } while (TakeSymbol(","));
  ExpectSymbol(")");
  if (ct.columns.empty()) Fail();
  return ct;
}

ColumnDef Parser::ColumnDefinition() {
  ClauseScope scope(*this, Clause::kField);
  ColumnDef c;
  c.name = Name();
  c.type = Type(c.name);
  for (;;) {
    const Token& t = Peek();
    if (t.IsKeyword("NOT") && Peek(1).IsKeyword("NULL")) {
      Take();
      Take();
      c.not_null = true;
    } else if (t.IsKeyword("NULL")) {
      Take();
    } else if (t.IsKeyword("DEFAULT")) {
      Take();
      if (c.default_text) Fail();
      if (script_ && Peek().IsKeyword("VERBATIM") &&
          (Peek(1).kind == TokenKind::kString || Peek(1).IsKeyword("CHR"))) {
        Take();
        c.default_text = TextExpression();
      } else {
        const Expr e = Expression();
        c.default_text = std::string(lexer_.source().substr(e.begin, e.end - e.begin));
      }
    } else if (t.IsKeyword("CONSTRAINT") || t.IsKeyword("PRIMARY") || t.IsKeyword("UNIQUE") ||
               t.IsKeyword("REFERENCES")) {
      c.constraints.push_back(ColumnConstraint(c.name));
    } else if (t.IsKeyword("WITH") &&
               (Peek(1).IsKeyword("COMP") || Peek(1).IsKeyword("COMPRESSION"))) {
      Take();
      Take();
    } else if (script_ && t.IsKeyword("AUTOINCREMENT")) {
      Take();
      c.type.auto_increment = true;
    } else {
      break;
    }
  }
  return c;
}

int64_t Parser::Integer() {
  const Token& t = Peek();
  if (t.kind != TokenKind::kNumber) Fail();
  int64_t value = 0;
  for (char c : t.text) {
    if (c < '0' || c > '9') Fail();
    if (value < 1'000'000'000) value = value * 10 + (c - '0');
  }
  Take();
  return value;
}

TypeSpec Parser::Type(const std::string& column) {
  const Token& t = Peek();
  if (t.kind != TokenKind::kWord) Fail();
  const std::optional<TypeWord> word = ParseTypeWord(t.text);
  if (!word) Fail();
  const bool text_word = t.IsKeyword("TEXT");
  Take();
  TypeSpec result;
  result.type = word->type;
  result.auto_increment = word->auto_increment;
  if (TakeSymbol("(")) {
    if (word->takes_length) {
      const int64_t n = Integer();
      ExpectSymbol(")");
      if (n < 1) Fail();
      if (n > kMaxTextLength) throw je::FieldSizeTooLong(column);
      result.size = static_cast<int>(n);
    } else if (word->type == DataType::kDecimal) {
      const int64_t p = Integer();
      int64_t s = 0;
      if (TakeSymbol(",")) s = Integer();
      ExpectSymbol(")");
      if (p < 1 || p > kMaxDecimalPrecision || s > p) Fail();
      result.precision = static_cast<int>(p);
      result.scale = static_cast<int>(s);
    } else {
      Fail();
    }
  } else if (word->takes_length) {
    if (text_word) {
      result.type = DataType::kMemo;
    } else {
      result.size = kMaxTextLength;
    }
  } else if (word->type == DataType::kDecimal) {
    result.precision = kDefaultDecimalPrecision;
    result.scale = kDefaultDecimalScale;
  }
  return result;
}

ConstraintDef Parser::ColumnConstraint(const std::string& column) {
  ClauseScope scope(*this, Clause::kConstraint);
  ConstraintDef d;
  d.columns = {column};
  if (TakeKeyword("CONSTRAINT")) d.name = Name();
  if (TakeKeyword("PRIMARY")) {
    ExpectKeyword("KEY");
    d.kind = ConstraintDef::Kind::kPrimaryKey;
  } else if (TakeKeyword("UNIQUE")) {
    d.kind = ConstraintDef::Kind::kUnique;
  } else if (TakeKeyword("NOT")) {
    ExpectKeyword("NULL");
    d.kind = ConstraintDef::Kind::kNotNull;
  } else if (Peek().IsKeyword("REFERENCES")) {
    d.kind = ConstraintDef::Kind::kForeignKey;
    References(d);
  } else {
    Fail();
  }
  return d;
}

ConstraintDef Parser::TableConstraint() {
  ClauseScope scope(*this, Clause::kConstraint);
  ConstraintDef d;
  if (TakeKeyword("CONSTRAINT")) d.name = Name();
  if (TakeKeyword("PRIMARY")) {
    ExpectKeyword("KEY");
    d.kind = ConstraintDef::Kind::kPrimaryKey;
    d.columns = NameList();
  } else if (TakeKeyword("UNIQUE")) {
    d.kind = ConstraintDef::Kind::kUnique;
    d.columns = NameList();
  } else if (TakeKeyword("FOREIGN")) {
    ExpectKeyword("KEY");
    d.kind = ConstraintDef::Kind::kForeignKey;
    d.columns = NameList();
    References(d);
  } else {
    Fail();
  }
  return d;
}

void Parser::References(ConstraintDef& d) {
  ExpectKeyword("REFERENCES");
  d.ref_table = Name();
  if (Peek().IsSymbol("(")) d.ref_columns = NameList();
  bool update_seen = false, delete_seen = false;
  while (Peek().IsKeyword("ON")) {
    Take();
    if (TakeKeyword("UPDATE")) {
      if (update_seen) Fail();
      update_seen = true;
      d.on_update = ReferentialRule();
    } else if (TakeKeyword("DELETE")) {
      if (delete_seen) Fail();
      delete_seen = true;
      d.on_delete = ReferentialRule();
    } else {
      Fail();
    }
  }
  if (script_ && Peek().IsKeyword("NOT") && Peek(1).IsKeyword("ENFORCED")) {
    Take();
    Take();
    d.enforced = false;
  }
}

Rule Parser::ReferentialRule() {
  if (TakeKeyword("CASCADE")) return Rule::kCascade;
  if (TakeKeyword("SET")) {
    if (TakeKeyword("NULL")) return Rule::kSetNull;
    if (script_ && TakeKeyword("DEFAULT")) return Rule::kSetDefault;
    Fail();
  }
  ExpectKeyword("NO");
  ExpectKeyword("ACTION");
  return Rule::kNoAction;
}

std::vector<std::string> Parser::NameList() {
  ExpectSymbol("(");
  std::vector<std::string> names;
  do {
    names.push_back(Name());
  } while (TakeSymbol(","));
  ExpectSymbol(")");
  return names;
}

Statement Parser::AlterTableStatement() {
  clause_ = Clause::kAlterTable;
  Take();  // ALTER
  ExpectKeyword("TABLE");
  const std::string table = Name();
  if (TakeKeyword("ADD")) {
    if (StartsTableConstraint()) return AddConstraint{table, TableConstraint()};
    // "ADD COLUMN c Long"; but "ADD Column Long" adds a column named Column.
    if (Peek().IsKeyword("COLUMN") && Peek(1).IsName() && Peek(2).kind == TokenKind::kWord) {
      Take();
    }
    return AddColumn{table, ColumnDefinition()};
  }
  if (TakeKeyword("ALTER")) {
    if (Peek().IsKeyword("COLUMN") && Peek(1).IsName() && (Peek(2).kind == TokenKind::kWord)) {
      Take();
    }
    if (script_ && Peek(1).IsKeyword("SET") && Peek(2).IsKeyword("PROPERTY")) {
      SetColumnProperty s;
      s.table = table;
      s.column = Name();
      Take();
      Take();
      if (Peek().kind != TokenKind::kString) Fail();
      s.property = Take().text;
      ExpectSymbol("=");
      s.value = TextExpression();
      return s;
    }
    return AlterColumn{table, ColumnDefinition()};
  }
  if (TakeKeyword("DROP")) {
    if (TakeKeyword("CONSTRAINT")) return DropConstraint{table, Name()};
    if (Peek().IsKeyword("COLUMN") && Peek(1).IsName()) Take();
    return DropColumn{table, Name()};
  }
  if (script_ && TakeKeyword("SET")) {
    ExpectKeyword("TYPE");
    if (Peek().kind != TokenKind::kString) Fail();
    const std::string kind = Take().text;
    for (TableKind k :
         {TableKind::kUser, TableKind::kSystem, TableKind::kAccessSystem, TableKind::kLinked}) {
      if (TableTypeText(k) == kind) return SetTableType{table, k};
    }
    Fail();
  }
  Fail();
}

Statement Parser::CreateIndexStatement() {
  clause_ = Clause::kCreateIndex;
  Take();  // CREATE
  CreateIndex ci;
  ci.unique = TakeKeyword("UNIQUE");
  ExpectKeyword("INDEX");
  ci.index = Name();
  ExpectKeyword("ON");
  ci.table = Name();
  ExpectSymbol("(");
  do {
    IndexColumn column;
    column.name = Name();
    if (TakeKeyword("DESC")) {
      column.descending = true;
    } else {
      TakeKeyword("ASC");
    }
    ci.columns.push_back(std::move(column));
  } while (TakeSymbol(","));
  ExpectSymbol(")");
  if (TakeKeyword("WITH")) {
    do {
      if (TakeKeyword("PRIMARY")) {
        ci.primary = true;
      } else if (TakeKeyword("DISALLOW")) {
        ExpectKeyword("NULL");
        ci.disallow_null = true;
      } else if (TakeKeyword("IGNORE")) {
        ExpectKeyword("NULL");
        ci.ignore_null = true;
      } else {
        Fail();
      }
    } while (Peek().IsKeyword("PRIMARY") || Peek().IsKeyword("DISALLOW") ||
             Peek().IsKeyword("IGNORE"));
  }
  return ci;
}

Statement Parser::InsertStatement() {
  clause_ = Clause::kInsert;
  Take();  // INSERT
  ExpectKeyword("INTO");
  InsertInto ins;
  ins.table = Name();
  if (Peek().IsSymbol("(")) ins.columns = NameList();
  if (Peek().IsKeyword("SELECT")) throw je::StatementNotSupported("INSERT INTO ... SELECT");
  ExpectKeyword("VALUES");
  ExpectSymbol("(");
  do {
    ins.values.push_back(Expression());
  } while (TakeSymbol(","));
  ExpectSymbol(")");
  return ins;
}

Statement Parser::CreateQueryDefStatement() {
  clause_ = Clause::kCreateTable;
  Take();  // CREATE
  Take();  // QUERYDEF
  CreateQueryDef q;
  q.name = Name();
  ExpectKeyword("AS");
  q.sql = TextExpression();
  return q;
}

std::string Parser::TextExpression() {
  std::string text;
  do {
    if (Peek().kind == TokenKind::kString) {
      text += Take().text;
    } else if (TakeKeyword("CHR")) {
      ExpectSymbol("(");
      const int64_t code = Integer();
      ExpectSymbol(")");
      if (code > 0x10FFFF) Fail();
      AppendUtf8(text, static_cast<char32_t>(code));
    } else {
      Fail();
    }
  } while (TakeSymbol("&"));
  return text;
}

Expr Parser::Binary(Expr lhs, std::string op, Expr rhs) {
  Expr e;
  e.kind = Expr::Kind::kBinaryOp;
  e.text = std::move(op);
  e.begin = lhs.begin;
  e.end = rhs.end;
  e.args.push_back(std::move(lhs));
  e.args.push_back(std::move(rhs));
  Nested(e);
  return e;
}

void Parser::Nested(Expr& e) const {
  int below = 0;
  for (const Expr& arg : e.args) below = std::max(below, arg.depth);
  e.depth = below + 1;
  // A chain "1+1+1..." is read in a loop but nests in the tree, one level per operator.
  if (e.depth + depth_ > kMaxExpressionDepth) throw je::ExpressionTooComplex();
}

Expr Parser::ExprImp() {
  Expr e = ExprEqv();
  while (TakeKeyword("IMP")) e = Binary(std::move(e), "IMP", ExprEqv());
  return e;
}
Expr Parser::ExprEqv() {
  Expr e = ExprXor();
  while (TakeKeyword("EQV")) e = Binary(std::move(e), "EQV", ExprXor());
  return e;
}
Expr Parser::ExprXor() {
  Expr e = ExprOr();
  while (TakeKeyword("XOR")) e = Binary(std::move(e), "XOR", ExprOr());
  return e;
}
Expr Parser::ExprOr() {
  Expr e = ExprAnd();
  while (TakeKeyword("OR")) e = Binary(std::move(e), "OR", ExprAnd());
  return e;
}
Expr Parser::ExprAnd() {
  Expr e = ExprNot();
  while (TakeKeyword("AND")) e = Binary(std::move(e), "AND", ExprNot());
  return e;
}
Expr Parser::ExprNot() {
  if (Peek().IsKeyword("NOT")) {
    const size_t begin = Peek().begin;
    Take();
    Expr e;
    e.kind = Expr::Kind::kUnary;
    e.text = "NOT";
    DepthScope scope(*this);
    e.args.push_back(ExprNot());
    Nested(e);
    e.begin = begin;
    e.end = e.args[0].end;
    return e;
  }
  return ExprCompare();
}

Expr Parser::ExprCompare() {
  Expr e = ExprConcat();
  for (;;) {
    const Token& t = Peek();
    if (t.IsSymbol("=") || t.IsSymbol("<>") || t.IsSymbol("<") || t.IsSymbol(">") ||
        t.IsSymbol("<=") || t.IsSymbol(">=")) {
      std::string op = Take().text;
      e = Binary(std::move(e), std::move(op), ExprConcat());
      continue;
    }
    std::string negation;
    if (t.IsKeyword("NOT") &&
        (Peek(1).IsKeyword("LIKE") || Peek(1).IsKeyword("BETWEEN") || Peek(1).IsKeyword("IN"))) {
      Take();
      negation = "NOT ";
    }
    if (TakeKeyword("LIKE")) {
      e = Binary(std::move(e), negation + "LIKE", ExprConcat());
    } else if (TakeKeyword("BETWEEN")) {
      Expr b;
      b.kind = Expr::Kind::kBetween;
      b.text = negation + "BETWEEN";
      b.begin = e.begin;
      b.args.push_back(std::move(e));
      b.args.push_back(ExprConcat());
      ExpectKeyword("AND");
      b.args.push_back(ExprConcat());
      b.end = b.args.back().end;
      Nested(b);
      e = std::move(b);
    } else if (TakeKeyword("IN")) {
      Expr in;
      in.kind = Expr::Kind::kIn;
      in.text = negation + "IN";
      in.begin = e.begin;
      in.args.push_back(std::move(e));
      ExpectSymbol("(");
      do {
        in.args.push_back(Expression());
      } while (TakeSymbol(","));
      ExpectSymbol(")");
      in.end = last_end_;
      Nested(in);
      e = std::move(in);
    } else if (!negation.empty()) {
      Fail();
    } else if (TakeKeyword("IS")) {
      Expr is;
      is.kind = Expr::Kind::kIsNull;
      is.text = TakeKeyword("NOT") ? "IS NOT NULL" : "IS NULL";
      ExpectKeyword("NULL");
      is.begin = e.begin;
      is.end = last_end_;
      is.args.push_back(std::move(e));
      Nested(is);
      e = std::move(is);
    } else {
      return e;
    }
  }
}

Expr Parser::ExprConcat() {
  Expr e = ExprAdd();
  while (TakeSymbol("&")) e = Binary(std::move(e), "&", ExprAdd());
  return e;
}
Expr Parser::ExprAdd() {
  Expr e = ExprMod();
  for (;;) {
    if (TakeSymbol("+")) {
      e = Binary(std::move(e), "+", ExprMod());
    } else if (TakeSymbol("-")) {
      e = Binary(std::move(e), "-", ExprMod());
    } else {
      return e;
    }
  }
}
Expr Parser::ExprMod() {
  Expr e = ExprIntDiv();
  while (TakeKeyword("MOD")) e = Binary(std::move(e), "MOD", ExprIntDiv());
  return e;
}
Expr Parser::ExprIntDiv() {
  Expr e = ExprMul();
  while (TakeSymbol("\\")) e = Binary(std::move(e), "\\", ExprMul());
  return e;
}
Expr Parser::ExprMul() {
  Expr e = ExprUnary();
  for (;;) {
    if (TakeSymbol("*")) {
      e = Binary(std::move(e), "*", ExprUnary());
    } else if (TakeSymbol("/")) {
      e = Binary(std::move(e), "/", ExprUnary());
    } else {
      return e;
    }
  }
}
Expr Parser::ExprUnary() {
  if (Peek().IsSymbol("-") || Peek().IsSymbol("+")) {
    const size_t begin = Peek().begin;
    Expr e;
    e.kind = Expr::Kind::kUnary;
    e.text = Take().text;
    DepthScope scope(*this);
    e.args.push_back(ExprUnary());
    Nested(e);
    e.begin = begin;
    e.end = e.args[0].end;
    return e;
  }
  return ExprPower();
}
Expr Parser::ExprPower() {
  Expr e = ExprPrimary();
  while (TakeSymbol("^")) {
    DepthScope scope(*this);  // the exponent recurses: 2^2^2... nests to the right
    e = Binary(std::move(e), "^", ExprUnary());
  }
  return e;
}

Expr Parser::ExprPrimary() {
  const Token& t = Peek();
  Expr e;
  e.begin = t.begin;
  switch (t.kind) {
    case TokenKind::kNumber:
      e.kind = Expr::Kind::kNumber;
      break;
    case TokenKind::kString:
      e.kind = Expr::Kind::kString;
      break;
    case TokenKind::kDate:
      e.kind = Expr::Kind::kDate;
      break;
    case TokenKind::kBinary:
      e.kind = Expr::Kind::kBinary;
      break;
    case TokenKind::kSymbol:
      if (t.IsSymbol("(")) {
        Take();
        e.kind = Expr::Kind::kParen;
        e.args.push_back(Expression());
        ExpectSymbol(")");
        e.end = last_end_;
        Nested(e);
        return e;
      }
      Fail();
    case TokenKind::kBracketName:
      e.kind = Expr::Kind::kName;
      break;
    case TokenKind::kWord:
      if (t.IsKeyword("TRUE") || t.IsKeyword("YES") || t.IsKeyword("ON")) {
        e.kind = Expr::Kind::kBoolean;
        e.boolean = true;
      } else if (t.IsKeyword("FALSE") || t.IsKeyword("NO") || t.IsKeyword("OFF")) {
        e.kind = Expr::Kind::kBoolean;
      } else if (t.IsKeyword("NULL")) {
        e.kind = Expr::Kind::kNull;
      } else if (IsReservedInExpression(t)) {
        Fail();
      } else if (Peek(1).IsSymbol("(")) {
        e.kind = Expr::Kind::kCall;
        e.text = Take().text;
        Take();  // (
        if (!TakeSymbol(")")) {
          do {
            e.args.push_back(Expression());
          } while (TakeSymbol(","));
          ExpectSymbol(")");
        }
        e.end = last_end_;
        Nested(e);
        return e;
      } else {
        e.kind = Expr::Kind::kName;
      }
      break;
    default:
      Fail();
  }
  e.text = Take().text;
  e.end = last_end_;
  if (e.kind == Expr::Kind::kName) {
    while ((Peek().IsSymbol(".") || Peek().IsSymbol("!")) && Peek(1).IsName()) {
      Take();
      Expr part;
      part.kind = Expr::Kind::kName;
      part.begin = Peek().begin;
      part.text = Take().text;
      part.end = last_end_;
      e.args.push_back(std::move(part));
      e.end = last_end_;
    }
  }
  return e;
}

Statement ParseStatement(std::string_view sql) {
  Parser parser(sql, false);
  Statement statement = parser.ParseStatementBody();
  parser.FinishSingle();
  return statement;
}

bool ParseExpressionText(std::string_view text, Expr& expr, bool script) {
  Parser parser(text, script);
  if (parser.Peek().kind == TokenKind::kEnd) return false;
  try {
    expr = parser.Expression();
  } catch (const JetError&) {
    return false;
  }
  return parser.Peek().kind == TokenKind::kEnd && expr.begin == 0 && expr.end == text.size();
}

ScriptParser::ScriptParser(std::string_view text) : parser_(std::make_unique<Parser>(text, true)) {}

ScriptParser::~ScriptParser() = default;

bool ScriptParser::Next(Statement& statement, int& line) {
  const Token& first = parser_->Peek();
  if (first.kind == TokenKind::kEnd) return false;
  line = first.line;
  parser_->clause_ = Clause::kStatement;
  statement = parser_->ParseStatementBody();
  parser_->FinishInScript();
  return true;
}

}  // namespace dbaccess::sql
