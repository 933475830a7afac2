// Reads statements of the dialect into statement records (statement.h).
//
// Keywords and type words are read without regard to case; names are bare (letters,
// digits, "_", any non-ASCII letter, so Cyrillic names need no brackets) or in [brackets].
// A syntax error throws Jet's error for the clause it is in:
//
//   the first word is no statement ........................... 3129
//   CREATE TABLE, outside a field or CONSTRAINT clause ........ 3290
//   a field definition (type, length, NOT NULL, DEFAULT) ...... 3292
//   a CONSTRAINT clause (PRIMARY KEY, UNIQUE, REFERENCES...) .. 3289
//   ALTER TABLE, outside a field or CONSTRAINT clause ......... 3293
//   CREATE INDEX .............................................. 3291
//   DROP TABLE, DROP INDEX .................................... 3295
//   INSERT INTO ............................................... 3134
//   anything after the ";" that ends the statement ............ 3142
//
// A text length above 255 gives 3382 ("Size of field ... is too long."). SELECT, UPDATE,
// DELETE and the other statements Jet knows but this engine does not carry out give
// StatementNotSupported.
//
// Types (ParseTypeWord in data_type.h has the synonyms): "TEXT" without a length is a Memo,
// as through ADO; CHAR, VARCHAR and the other text words without a length are Text(255);
// Text(n) takes n = 1..255; BINARY without a length is Binary(255); DECIMAL[(p[,s])] takes
// p = 1..28 and s = 0..p (18 and 0 when left out). "WITH COMP[RESSION]" after a text type
// is accepted and has no effect (it only changes how Jet stores the characters).
#ifndef SKARNVEL_DBACCESS_SQL_PARSER_H_
#define SKARNVEL_DBACCESS_SQL_PARSER_H_

#include <memory>
#include <string_view>

#include "dbaccess/sql/expression.h"
#include "dbaccess/sql/statement.h"

namespace dbaccess::sql {

// One statement; a trailing ";" is allowed, blanks and line breaks anywhere.
Statement ParseStatement(std::string_view sql);

// A DEFAULT expression on its own (a column's stored default, for evaluation). Returns
// false when `text` is not exactly one expression from its first to its last character.
// With `script`, "--" starts a comment, as in a database script.
bool ParseExpressionText(std::string_view text, Expr& expr, bool script = false);

// The statements of a database script, one after another, each ending in ";". Scripts
// also allow "--" comments and the statements only scripts hold (see text_script.h):
//
//   CREATE QUERYDEF [name] AS <text>
//   ALTER TABLE [t] ALTER COLUMN [c] SET PROPERTY 'name' = <text>
//   ALTER TABLE [t] SET TYPE 'SYSTEM TABLE'   (a TABLE_TYPE text)
//   DEFAULT VERBATIM <text>        a default stored exactly as the text says
//   [c] GUID AUTOINCREMENT         an AutoNumber of another type than Long
//   FOREIGN KEY ... NOT ENFORCED   a relationship without referential integrity
//   ON UPDATE SET DEFAULT, ON DELETE SET DEFAULT
//
// where <text> is 'quoted' pieces and Chr(n) joined by "&" (Chr(13) & Chr(10) for a line
// break), so that a text with any characters survives the trip through a text file.
class Parser;
class ScriptParser {
 public:
  explicit ScriptParser(std::string_view text);
  ~ScriptParser();
  ScriptParser(const ScriptParser&) = delete;
  ScriptParser& operator=(const ScriptParser&) = delete;

  // The next statement and the line it starts on; false at the end of the script.
  bool Next(Statement& statement, int& line);

 private:
  std::unique_ptr<Parser> parser_;
};

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_PARSER_H_
