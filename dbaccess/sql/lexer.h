// Splits Jet SQL text into tokens, one at a time.
//
// Blanks, tabs and line breaks separate tokens. A word may end in one "$" (the text
// functions Left$, Format$...). Strings are quoted with ' or " (the quote
// doubled inside stands for itself) and may span lines; names in brackets end at the first
// "]"; dates stand between "#" signs. With `comments` set (database scripts), "--" starts a
// comment that runs to the end of the line. A character the dialect does not know, or a
// literal without its closing quote, bracket or "#", gives a kError token, after which the
// lexer only gives kEnd.
#ifndef SKARNVEL_DBACCESS_SQL_LEXER_H_
#define SKARNVEL_DBACCESS_SQL_LEXER_H_

#include <string_view>

#include "dbaccess/sql/token.h"

namespace dbaccess::sql {

class Lexer {
 public:
  explicit Lexer(std::string_view source, bool comments = false)
      : source_(source), comments_(comments) {}

  Token Next();

  std::string_view source() const { return source_; }

 private:
  void SkipBlanksAndComments();
  Token Make(TokenKind kind, size_t begin, std::string text);
  Token Quoted(char quote, size_t begin);
  Token Delimited(char close, TokenKind kind, size_t begin);
  Token Number(size_t begin);

  std::string_view source_;
  bool comments_;
  size_t pos_ = 0;
  int line_ = 1;
  bool failed_ = false;
};

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_LEXER_H_
