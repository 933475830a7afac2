// The tokens of the Jet SQL dialect.
//
// Every token remembers where it stands in the source (byte offsets and line), so that
// callers can copy a clause exactly as it was written (a DEFAULT expression keeps its own
// spelling, quotes and blanks).
#ifndef SKARNVEL_DBACCESS_SQL_TOKEN_H_
#define SKARNVEL_DBACCESS_SQL_TOKEN_H_

#include <cstddef>
#include <string>

namespace dbaccess::sql {

enum class TokenKind {
  kEnd,          // no more input
  kError,        // a character or an unterminated literal the lexer cannot read
  kWord,         // a bare name or keyword: letters, digits, "_" and any non-ASCII character
  kBracketName,  // [name]; `text` is the name without the brackets
  kNumber,       // 12, 12.5, .5, 1E-3; `text` as written
  kString,       // 'text' or "text"; `text` is the value, doubled quotes undone
  kDate,         // #...#; `text` is what stands between the signs
  kBinary,       // 0x0A1B; `text` is the hexadecimal digits
  kSymbol,       // ( ) , ; . ! = < > <= >= <> + - * / \ ^ &
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  size_t begin = 0;  // offset of the first byte in the source
  size_t end = 0;    // offset just past the last byte
  int line = 1;      // 1-based line of the first byte

  bool IsSymbol(char c) const {
    return kind == TokenKind::kSymbol && text.size() == 1 && text[0] == c;
  }
  bool IsSymbol(const char* s) const { return kind == TokenKind::kSymbol && text == s; }
  // A bare word equal to `keyword` without regard to case (keyword in upper case).
  bool IsKeyword(const char* keyword) const;
  // A bare or bracketed name.
  bool IsName() const { return kind == TokenKind::kWord || kind == TokenKind::kBracketName; }
};

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_TOKEN_H_
