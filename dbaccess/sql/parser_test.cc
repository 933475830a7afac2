#include "dbaccess/sql/parser.h"

#include <gtest/gtest.h>

#include "dbaccess/exec/executor_testing.h"
#include "dbaccess/sql/lexer.h"

namespace dbaccess::sql {
namespace {

using dbaccess::testing::CatchJetError;

template <typename T>
T Parse(std::string_view sql) {
  Statement s;
  try {
    s = ParseStatement(sql);
  } catch (const JetError& e) {
    ADD_FAILURE() << sql << " -> " << e.what();
    return T();
  }
  if (!std::holds_alternative<T>(s)) {
    ADD_FAILURE() << sql << " gave statement kind " << s.index();
    return T();
  }
  return std::get<T>(s);
}

TEST(LexerTest, ReadsLiteralsNamesAndSymbolsWithTheirSpans) {
  Lexer lexer("[Order Details] 'it''s' \"say \"\"hi\"\"\" 12.5E-3 #1/2/2020# 0x0aFF <= <> -- x");
  const Token name = lexer.Next();
  EXPECT_EQ(name.kind, TokenKind::kBracketName);
  EXPECT_EQ(name.text, "Order Details");
  EXPECT_EQ(name.begin, 0u);
  EXPECT_EQ(name.end, 15u);
  const Token single = lexer.Next();
  EXPECT_EQ(single.kind, TokenKind::kString);
  EXPECT_EQ(single.text, "it's");
  EXPECT_EQ(lexer.Next().text, "say \"hi\"");
  const Token number = lexer.Next();
  EXPECT_EQ(number.kind, TokenKind::kNumber);
  EXPECT_EQ(number.text, "12.5E-3");
  const Token date = lexer.Next();
  EXPECT_EQ(date.kind, TokenKind::kDate);
  EXPECT_EQ(date.text, "1/2/2020");
  const Token binary = lexer.Next();
  EXPECT_EQ(binary.kind, TokenKind::kBinary);
  EXPECT_EQ(binary.text, "0aFF");
  EXPECT_TRUE(lexer.Next().IsSymbol("<="));
  EXPECT_TRUE(lexer.Next().IsSymbol("<>"));
  // Outside scripts "--" is two minus signs.
  EXPECT_TRUE(lexer.Next().IsSymbol("-"));
  EXPECT_TRUE(lexer.Next().IsSymbol("-"));

  Lexer script("a -- comment ; 'x'\n b", true);
  EXPECT_EQ(script.Next().text, "a");
  const Token b = script.Next();
  EXPECT_EQ(b.text, "b");
  EXPECT_EQ(b.line, 2);
  EXPECT_EQ(script.Next().kind, TokenKind::kEnd);

  Lexer broken("'never closed");
  EXPECT_EQ(broken.Next().kind, TokenKind::kError);
  EXPECT_EQ(broken.Next().kind, TokenKind::kEnd);
}

TEST(ParserTest, ReadsCreateTableWithColumnsConstraintsAndOptions) {
  const auto ct = Parse<CreateTable>(
      "create table [Заказы] (\r\n[ID] counter constraint pk primary key,\r\n"
      "Клиент Long NOT NULL references Клиенты (Код) on delete cascade,\r\n"
      "[Note] Text(100) WITH COMP DEFAULT 'n/a' NULL,\r\n"
      "constraint uq unique ([Note], Клиент), foreign key (ID) references T2 on update set null)");
  EXPECT_EQ(ct.table, "Заказы");
  ASSERT_EQ(ct.columns.size(), 3u);
  EXPECT_EQ(ct.columns[0].type.type, DataType::kLong);
  EXPECT_TRUE(ct.columns[0].type.auto_increment);
  ASSERT_EQ(ct.columns[0].constraints.size(), 1u);
  EXPECT_EQ(ct.columns[0].constraints[0].name, "pk");
  EXPECT_EQ(ct.columns[0].constraints[0].kind, ConstraintDef::Kind::kPrimaryKey);
  EXPECT_EQ(ct.columns[1].name, "Клиент");
  EXPECT_TRUE(ct.columns[1].not_null);
  const ConstraintDef& ref = ct.columns[1].constraints.at(0);
  EXPECT_EQ(ref.kind, ConstraintDef::Kind::kForeignKey);
  EXPECT_EQ(ref.ref_table, "Клиенты");
  EXPECT_EQ(ref.ref_columns, std::vector<std::string>{"Код"});
  EXPECT_EQ(ref.on_delete, Rule::kCascade);
  EXPECT_EQ(ref.on_update, Rule::kNoAction);
  EXPECT_EQ(ct.columns[2].type.size, 100);
  EXPECT_EQ(ct.columns[2].default_text, "'n/a'");
  EXPECT_FALSE(ct.columns[2].not_null);
  ASSERT_EQ(ct.constraints.size(), 2u);
  EXPECT_EQ(ct.constraints[0].kind, ConstraintDef::Kind::kUnique);
  EXPECT_EQ(ct.constraints[0].columns, (std::vector<std::string>{"Note", "Клиент"}));
  EXPECT_EQ(ct.constraints[1].kind, ConstraintDef::Kind::kForeignKey);
  EXPECT_TRUE(ct.constraints[1].name.empty());
  EXPECT_TRUE(ct.constraints[1].ref_columns.empty());
  EXPECT_EQ(ct.constraints[1].on_update, Rule::kSetNull);
}

TEST(ParserTest, ReadsAlterTableIndexDropAndInsertForms) {
  EXPECT_EQ(Parse<AddColumn>("ALTER TABLE [T] ADD [c] Long NOT NULL DEFAULT 0").column.name, "c");
  EXPECT_EQ(Parse<AddColumn>("ALTER TABLE T ADD COLUMN c Text(5)").column.type.size, 5);
  EXPECT_EQ(Parse<AddColumn>("ALTER TABLE T ADD Column Long").column.name, "Column");
  EXPECT_EQ(Parse<AlterColumn>("ALTER TABLE [T] ALTER COLUMN [c] Text(50)").column.type.size, 50);
  EXPECT_EQ(Parse<AlterColumn>("alter table T alter c Memo").column.type.type, DataType::kMemo);
  EXPECT_EQ(Parse<DropColumn>("ALTER TABLE [T] DROP COLUMN [c]").column, "c");
  EXPECT_EQ(Parse<DropColumn>("ALTER TABLE T DROP c;").column, "c");
  EXPECT_EQ(Parse<DropConstraint>("ALTER TABLE [T] DROP CONSTRAINT [PK]").name, "PK");

  // The primary key of several columns as the index action builder joins it.
  const auto pk =
      Parse<AddConstraint>("ALTER TABLE [T] ADD CONSTRAINT [PK] PRIMARY KEY ([A],[B] )");
  EXPECT_EQ(pk.constraint.columns, (std::vector<std::string>{"A", "B"}));
  const auto fk = Parse<AddConstraint>(
      "ALTER TABLE [F] ADD CONSTRAINT [R] FOREIGN KEY ([c]) REFERENCES [P] ([id]) "
      "ON UPDATE NO ACTION ON DELETE SET NULL");
  EXPECT_EQ(fk.constraint.ref_table, "P");
  EXPECT_EQ(fk.constraint.on_delete, Rule::kSetNull);
  // The second statement of a two-statement command starts with a line feed.
  EXPECT_EQ(Parse<DropConstraint>("\nALTER TABLE [F] DROP CONSTRAINT [R]\r\n").name, "R");

  const auto ci = Parse<CreateIndex>(
      "CREATE UNIQUE INDEX ix ON T (a DESC, [b] ASC) WITH IGNORE NULL DISALLOW NULL");
  EXPECT_TRUE(ci.unique);
  ASSERT_EQ(ci.columns.size(), 2u);
  EXPECT_TRUE(ci.columns[0].descending);
  EXPECT_FALSE(ci.columns[1].descending);
  EXPECT_TRUE(ci.ignore_null);
  EXPECT_TRUE(ci.disallow_null);
  EXPECT_TRUE(Parse<CreateIndex>("CREATE INDEX p ON T (a) WITH PRIMARY").primary);
  EXPECT_EQ(Parse<DropIndex>("DROP INDEX ix ON [T]").table, "T");
  EXPECT_EQ(Parse<DropTable>("drop table [Order Details];").table, "Order Details");

  const auto ins = Parse<InsertInto>("INSERT INTO T (a, [b c]) VALUES (-1, 'x')");
  EXPECT_EQ(*ins.columns, (std::vector<std::string>{"a", "b c"}));
  ASSERT_EQ(ins.values.size(), 2u);
  EXPECT_EQ(ins.values[0].kind, Expr::Kind::kUnary);
  EXPECT_FALSE(Parse<InsertInto>("INSERT INTO T VALUES (1)").columns.has_value());
}

TEST(ParserTest, TypeWordsSynonymsAndLengths) {
  struct Case {
    const char* type;
    DataType data_type;
    int size, precision, scale;
    bool auto_increment;
  };
  const Case cases[] = {
      {"Short", DataType::kShort, 0, 0, 0, false},
      {"smallint", DataType::kShort, 0, 0, 0, false},
      {"INTEGER", DataType::kLong, 0, 0, 0, false},
      {"AutoIncrement", DataType::kLong, 0, 0, 0, true},
      {"IEEESingle", DataType::kSingle, 0, 0, 0, false},
      {"real", DataType::kSingle, 0, 0, 0, false},
      {"IEEEDouble", DataType::kDouble, 0, 0, 0, false},
      {"Float", DataType::kDouble, 0, 0, 0, false},
      {"Money", DataType::kCurrency, 0, 0, 0, false},
      {"DateTime", DataType::kDateTime, 0, 0, 0, false},
      {"YesNo", DataType::kBit, 0, 0, 0, false},
      {"Byte", DataType::kByte, 0, 0, 0, false},
      {"LongBinary", DataType::kLongBinary, 0, 0, 0, false},
      {"OLEObject", DataType::kLongBinary, 0, 0, 0, false},
      {"Text(255)", DataType::kText, 255, 0, 0, false},
      {"varchar (20)", DataType::kText, 20, 0, 0, false},
      {"Char", DataType::kText, 255, 0, 0, false},
      {"TEXT", DataType::kMemo, 0, 0, 0, false},
      {"LongText", DataType::kMemo, 0, 0, 0, false},
      {"GUID", DataType::kGuid, 0, 0, 0, false},
      {"Decimal", DataType::kDecimal, 0, 18, 0, false},
      {"Numeric(10,2)", DataType::kDecimal, 0, 10, 2, false},
      {"dec(5)", DataType::kDecimal, 0, 5, 0, false},
      {"Binary(16)", DataType::kBinary, 16, 0, 0, false},
  };
  for (const Case& c : cases) {
    const auto ac = Parse<AddColumn>(std::string("ALTER TABLE T ADD c ") + c.type);
    SCOPED_TRACE(c.type);
    EXPECT_EQ(ac.column.type.type, c.data_type);
    EXPECT_EQ(ac.column.type.size, c.size);
    EXPECT_EQ(ac.column.type.precision, c.precision);
    EXPECT_EQ(ac.column.type.scale, c.scale);
    EXPECT_EQ(ac.column.type.auto_increment, c.auto_increment);
  }
}

TEST(ParserTest, DefaultKeepsTheExpressionAsWritten) {
  const std::pair<const char*, const char*> cases[] = {
      {"[c] Long DEFAULT 0", "0"},
      {"[c] Text(9) DEFAULT \"abc\"", "\"abc\""},
      {"[c] DateTime DEFAULT Now()", "Now()"},
      {"[c] Long NOT NULL DEFAULT -1", "-1"},
      {"[c] Text(9) DEFAULT 'a;b' NOT NULL", "'a;b'"},
      {"[c] Text(9) DEFAULT  'it''s'  ", "'it''s'"},
      {"[c] DateTime DEFAULT Date() +  1 CONSTRAINT u UNIQUE", "Date() +  1"},
      {"[c] Long DEFAULT (1 + 2) * 3", "(1 + 2) * 3"},
      {"[c] Text(9) DEFAULT Null", "Null"},
      {"[c] Long DEFAULT x Between 1 And 2", "x Between 1 And 2"},
  };
  for (const auto& [definition, text] : cases) {
    const auto ac = Parse<AddColumn>(std::string("ALTER TABLE T ADD ") + definition);
    EXPECT_EQ(ac.column.default_text, text) << definition;
  }
  EXPECT_TRUE(
      Parse<AddColumn>("ALTER TABLE T ADD [c] Text(9) DEFAULT 'a;b' NOT NULL").column.not_null);
}

TEST(ParserTest, SyntaxErrorsCarryTheTextOfTheirClause) {
  const std::pair<const char*, int> cases[] = {
      {"", 3129},
      {"   ", 3129},
      {"HELLO world", 3129},
      {"CREATE TABLE", 3290},
      {"CREATE TABLE T", 3290},
      {"CREATE TABLE T ()", 3290},
      {"CREATE TABLE T (a Long", 3290},
      {"CREATE TABLE T (a Long) extra", 3290},
      {"CREATE TABLE Order Details (a Long)", 3290},
      {"CREATE TABLE T (a Lung)", 3292},
      {"CREATE TABLE T (a Text(0))", 3292},
      {"CREATE TABLE T (a Long(4))", 3292},
      {"CREATE TABLE T (a Decimal(30))", 3292},
      {"CREATE TABLE T (a Long DEFAULT)", 3292},
      {"CREATE TABLE T (a Long DEFAULT 1 +)", 3292},
      {"CREATE TABLE T (a Long CONSTRAINT)", 3289},
      {"CREATE TABLE T (a Long, CONSTRAINT pk PRIMARY (a))", 3289},
      {"CREATE TABLE T (a Long REFERENCES P ON DELETE SET DEFAULT)", 3289},
      {"CREATE TABLE T (a Long, FOREIGN KEY (a) REFERENCES)", 3289},
      {"ALTER TABLE T", 3293},
      {"ALTER TABLE T RENAME a", 3293},
      {"ALTER TABLE T ADD", 3292},
      {"ALTER TABLE T ADD CONSTRAINT c UNIQUE", 3289},
      {"ALTER TABLE T DROP", 3293},
      {"ALTER TABLE T DROP COLUMN a b", 3293},
      {"CREATE INDEX i ON T", 3291},
      {"CREATE INDEX i ON T ()", 3291},
      {"CREATE INDEX i ON T (a) WITH NOTHING", 3291},
      {"DROP TABLE", 3295},
      {"DROP INDEX i", 3295},
      {"DROP T", 3295},
      {"INSERT INTO T", 3134},
      {"INSERT INTO T VALUES (1", 3134},
      {"INSERT INTO T VALUES ('unclosed)", 3134},
      {"DROP TABLE T; DROP TABLE U", 3142},
      {"CREATE TABLE T (a Text(300))", 3382},
  };
  for (const auto& [sql, number] : cases) {
    const auto caught = CatchJetError([&] { ParseStatement(sql); });
    EXPECT_TRUE(caught.thrown) << sql;
    EXPECT_EQ(caught.number, number) << sql << " -> " << caught.text;
  }
  EXPECT_EQ(CatchJetError([] { ParseStatement("CREATE TABLE T (a Long CONSTRAINT)"); }).text,
            "Syntax error in CONSTRAINT clause.");
  EXPECT_EQ(CatchJetError([] { ParseStatement("SELECT * FROM T"); }).number, 0);
  EXPECT_EQ(CatchJetError([] { ParseStatement("CREATE TABLE T (a Text(300))"); }).text,
            "Size of field 'a' is too long.");
}

TEST(ParserTest, ScriptsHoldTheirOwnStatementsAndComments) {
  ScriptParser parser(
      "-- heading\n"
      "CREATE QUERYDEF [Q] AS 'SELECT 1' & Chr(13) & Chr(10) & 'FROM T;';\n"
      "ALTER TABLE [T] ALTER COLUMN [c] SET PROPERTY 'Description' = 'd''x';\n"
      "ALTER TABLE [T] SET TYPE 'SYSTEM TABLE';\n"
      "ALTER TABLE [T] ADD [g] GUID AUTOINCREMENT DEFAULT VERBATIM '=x' & Chr(9);\n"
      "ALTER TABLE [F] ADD CONSTRAINT [R] FOREIGN KEY ([a]) REFERENCES [P] ([b])\n"
      "  ON UPDATE SET DEFAULT ON DELETE CASCADE NOT ENFORCED;\n");
  Statement s;
  int line = 0;
  ASSERT_TRUE(parser.Next(s, line));
  EXPECT_EQ(line, 2);
  EXPECT_EQ(std::get<CreateQueryDef>(s).sql, "SELECT 1\r\nFROM T;");
  ASSERT_TRUE(parser.Next(s, line));
  EXPECT_EQ(std::get<SetColumnProperty>(s).value, "d'x");
  ASSERT_TRUE(parser.Next(s, line));
  EXPECT_EQ(std::get<SetTableType>(s).kind, TableKind::kSystem);
  ASSERT_TRUE(parser.Next(s, line));
  const ColumnDef& g = std::get<AddColumn>(s).column;
  EXPECT_TRUE(g.type.auto_increment);
  EXPECT_EQ(g.default_text, "=x\t");
  ASSERT_TRUE(parser.Next(s, line));
  const ConstraintDef& r = std::get<AddConstraint>(s).constraint;
  EXPECT_FALSE(r.enforced);
  EXPECT_EQ(r.on_update, Rule::kSetDefault);
  EXPECT_FALSE(parser.Next(s, line));

  // None of this is part of the dialect users write.
  EXPECT_TRUE(CatchJetError([] { ParseStatement("CREATE QUERYDEF [Q] AS 'x'"); }).thrown);
  EXPECT_TRUE(CatchJetError([] { ParseStatement("ALTER TABLE T SET TYPE 'LINK'"); }).thrown);
  // A statement of a script needs its ";".
  ScriptParser missing("DROP TABLE T\nDROP TABLE U;");
  EXPECT_EQ(CatchJetError([&] { missing.Next(s, line); }).number, 3295);
}

// Whatever is cut off where, the parser answers with a statement or Jet's error.
TEST(ParserTest, EveryTruncationGivesAStatementOrAJetError) {
  const std::string statements[] = {
      "CREATE TABLE [Заказы] (Код COUNTER CONSTRAINT pk PRIMARY KEY, [N] Text(10) NOT NULL "
      "DEFAULT 'a''b' WITH COMP, D Decimal(10,2), CONSTRAINT u UNIQUE (N), FOREIGN KEY (D) "
      "REFERENCES P (x) ON UPDATE CASCADE ON DELETE SET NULL)",
      "ALTER TABLE T ADD CONSTRAINT r FOREIGN KEY (a, b) REFERENCES P ON DELETE NO ACTION",
      "CREATE UNIQUE INDEX i ON T (a DESC, b) WITH IGNORE NULL",
      "INSERT INTO T (a, b, c) VALUES (-1.5E+3, #1/2/2020 1:00 PM#, 'x' & Chr(13) & 0x0A)",
      "ALTER TABLE T ALTER COLUMN c Long NOT NULL DEFAULT (1 + 2) * -3 Between 0 And Not 1",
  };
  for (const std::string& sql : statements) {
    for (size_t n = 0; n <= sql.size(); ++n) {
      try {
        ParseStatement(sql.substr(0, n));
      } catch (const JetError&) {
      } catch (...) {
        ADD_FAILURE() << "not a JetError at " << n << ": " << sql.substr(0, n);
      }
    }
  }
}

TEST(ParserTest, ExpressionTextMustBeOneWholeExpression) {
  Expr e;
  EXPECT_TRUE(ParseExpressionText("Now()", e));
  EXPECT_EQ(e.kind, Expr::Kind::kCall);
  EXPECT_TRUE(ParseExpressionText("-1", e));
  EXPECT_FALSE(ParseExpressionText(" -1", e));
  EXPECT_FALSE(ParseExpressionText("1 2", e));
  EXPECT_FALSE(ParseExpressionText("", e));
  EXPECT_FALSE(ParseExpressionText("'open", e));
  EXPECT_TRUE(ParseExpressionText("5 --3", e));
  EXPECT_FALSE(ParseExpressionText("5 --3", e, true));  // a comment in a script
}

// A hostile database holds a default of thousands of nested parentheses, or a statement of
// 100,000 NOTs: the parser refuses it with Jet's "too complex" error instead of running out
// of stack, while nesting of everyday depth still reads.
TEST(ParserTest, DeepNestingIsRefusedAsTooComplex) {
  const auto repeat = [](std::string_view piece, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += piece;
    return out;
  };
  const std::string hostile[] = {
      repeat("(", 1600) + "1" + repeat(")", 1600),
      repeat("NOT ", 100000) + "1",
      repeat("-", 100000) + "1",
      "1" + repeat("+1", 100000),
      "1" + repeat(" IS NULL", 100000),
      repeat("Abs(", 5000) + "1" + repeat(")", 5000),
      "2" + repeat("^2", 100000),
  };
  for (const std::string& text : hostile) {
    Expr e;
    EXPECT_FALSE(ParseExpressionText(text, e)) << text.substr(0, 40);
    const auto caught =
        CatchJetError([&] { ParseStatement("CREATE TABLE T (A Long DEFAULT " + text + ")"); });
    EXPECT_EQ(caught.number, 3071) << text.substr(0, 40);
    EXPECT_NE(caught.text.find("too complex"), std::string::npos);
  }
  Expr e;
  EXPECT_TRUE(ParseExpressionText(repeat("(", 50) + "1" + repeat(")", 50), e));
  EXPECT_TRUE(ParseExpressionText(repeat("NOT ", 50) + "1", e));
  EXPECT_TRUE(ParseExpressionText("1" + repeat("+1", 100), e));
}

}  // namespace
}  // namespace dbaccess::sql
