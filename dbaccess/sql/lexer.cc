#include "dbaccess/sql/lexer.h"

#include <cstring>

namespace dbaccess::sql {
namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsWordStart(unsigned char c) { return IsAsciiLetter(c) || c == '_' || c >= 0x80; }
bool IsWordPart(unsigned char c) { return IsWordStart(c) || IsDigit(c); }
bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

bool Token::IsKeyword(const char* keyword) const {
  if (kind != TokenKind::kWord || text.size() != std::strlen(keyword)) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[i]) return false;
  }
  return true;
}

void Lexer::SkipBlanksAndComments() {
  while (pos_ < source_.size()) {
    const auto c = static_cast<unsigned char>(source_[pos_]);
    if (IsBlank(c)) {
      if (c == '\n') ++line_;
      ++pos_;
    } else if (comments_ && c == '-' && pos_ + 1 < source_.size() && source_[pos_ + 1] == '-') {
      while (pos_ < source_.size() && source_[pos_] != '\n') ++pos_;
    } else {
      break;
    }
  }
}

Token Lexer::Make(TokenKind kind, size_t begin, std::string text) {
  Token t;
  t.kind = kind;
  t.text = std::move(text);
  t.begin = begin;
  t.end = pos_;
  t.line = line_;
  for (size_t i = begin; i < pos_; ++i) {
    if (source_[i] == '\n') --t.line;  // the token may span lines; report its first
  }
  if (kind == TokenKind::kError) failed_ = true;
  return t;
}

Token Lexer::Quoted(char quote, size_t begin) {
  std::string value;
  ++pos_;
  while (pos_ < source_.size()) {
    const char c = source_[pos_];
    if (c == quote) {
      if (pos_ + 1 < source_.size() && source_[pos_ + 1] == quote) {
        value += quote;
        pos_ += 2;
        continue;
      }
      ++pos_;
      return Make(TokenKind::kString, begin, std::move(value));
    }
    if (c == '\n') ++line_;
    value += c;
    ++pos_;
  }
  return Make(TokenKind::kError, begin, std::string(source_.substr(begin)));
}

Token Lexer::Delimited(char close, TokenKind kind, size_t begin) {
  ++pos_;
  const size_t found = source_.find(close, pos_);
  if (found == std::string_view::npos) {
    pos_ = source_.size();
    return Make(TokenKind::kError, begin, std::string(source_.substr(begin)));
  }
  std::string value(source_.substr(pos_, found - pos_));
  for (char c : value) {
    if (c == '\n') ++line_;
  }
  pos_ = found + 1;
  return Make(kind, begin, std::move(value));
}

Token Lexer::Number(size_t begin) {
  const auto at = [&](size_t i) -> unsigned char {
    return i < source_.size() ? static_cast<unsigned char>(source_[i]) : 0;
  };
  if (at(pos_) == '0' && (at(pos_ + 1) == 'x' || at(pos_ + 1) == 'X')) {
    pos_ += 2;
    const size_t digits = pos_;
    while (IsHexDigit(at(pos_))) ++pos_;
    return Make(TokenKind::kBinary, begin, std::string(source_.substr(digits, pos_ - digits)));
  }
  while (IsDigit(at(pos_))) ++pos_;
  if (at(pos_) == '.') {
    ++pos_;
    while (IsDigit(at(pos_))) ++pos_;
  }
  if ((at(pos_) == 'e' || at(pos_) == 'E') &&
      (IsDigit(at(pos_ + 1)) ||
       ((at(pos_ + 1) == '+' || at(pos_ + 1) == '-') && IsDigit(at(pos_ + 2))))) {
    pos_ += 2;
    while (IsDigit(at(pos_))) ++pos_;
  }
  return Make(TokenKind::kNumber, begin, std::string(source_.substr(begin, pos_ - begin)));
}

Token Lexer::Next() {
  if (failed_) {
    pos_ = source_.size();
    return Make(TokenKind::kEnd, pos_, "");
  }
  SkipBlanksAndComments();
  const size_t begin = pos_;
  if (pos_ >= source_.size()) return Make(TokenKind::kEnd, begin, "");
  const auto c = static_cast<unsigned char>(source_[pos_]);
  const unsigned char next =
      pos_ + 1 < source_.size() ? static_cast<unsigned char>(source_[pos_ + 1]) : 0;

  if (IsWordStart(c)) {
    while (pos_ < source_.size() && IsWordPart(static_cast<unsigned char>(source_[pos_]))) ++pos_;
    if (pos_ < source_.size() && source_[pos_] == '$') ++pos_;  // Left$, Format$: text functions
    return Make(TokenKind::kWord, begin, std::string(source_.substr(begin, pos_ - begin)));
  }
  if (IsDigit(c) || (c == '.' && IsDigit(next))) return Number(begin);
  if (c == '\'' || c == '"') return Quoted(static_cast<char>(c), begin);
  if (c == '[') return Delimited(']', TokenKind::kBracketName, begin);
  if (c == '#') return Delimited('#', TokenKind::kDate, begin);
  if ((c == '<' && (next == '=' || next == '>')) || (c == '>' && next == '=')) {
    pos_ += 2;
    return Make(TokenKind::kSymbol, begin, std::string(source_.substr(begin, 2)));
  }
  if (std::strchr("(),;.!=<>+-*/\\^&", c) != nullptr) {
    ++pos_;
    return Make(TokenKind::kSymbol, begin, std::string(1, static_cast<char>(c)));
  }
  ++pos_;
  return Make(TokenKind::kError, begin, std::string(1, static_cast<char>(c)));
}

}  // namespace dbaccess::sql
