#include "dbaccess/sql/one_expression.h"

#include "dbaccess/sql/parser.h"

namespace dbaccess::sql {

bool IsOneExpression(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first != std::string_view::npos && text[first] == '=') {
    first = text.find_first_not_of(' ', first + 1);
  }
  if (first == std::string_view::npos) return false;
  const size_t last = text.find_last_not_of(' ');
  Expr expr;
  return ParseExpressionText(text.substr(first, last - first + 1), expr);
}

}  // namespace dbaccess::sql
