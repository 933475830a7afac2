#include "engine/default_check.h"

#include "dbaccess/catalog_names.h"
#include "dbaccess/jet_error.h"
#include "dbaccess/sql/parser.h"

namespace uAlg {
namespace {

constexpr int kSyntaxErrorInFieldDefinition = 3292;

}  // namespace

bool IsOneExpression(const std::string& text) {
  // Access keeps a default typed as "=Date()" with its "="; what follows it is the expression.
  size_t first = text.find_first_not_of(' ');
  if (first != std::string::npos && text[first] == '=')
    first = text.find_first_not_of(' ', first + 1);
  if (first == std::string::npos) return false;
  const size_t last = text.find_last_not_of(' ');
  dbaccess::sql::Expr expr;
  return dbaccess::sql::ParseExpressionText(std::string_view(text).substr(first, last - first + 1),
                                            expr);
}

void CheckDefaultForCommand(const std::string& table, const TField& field) {
  const std::string text = field.Props[kDefaultValueProp].Value.DisplayText();
  if (text.empty() || IsOneExpression(text)) return;
  throw dbaccess::JetError(
      kSyntaxErrorInFieldDefinition,
      "Syntax error in field definition. The default value of field '" +
          dbaccess::ShownText(table) + "." + dbaccess::ShownText(field.Name) +
          "' is not one expression and cannot be part of a command: " + dbaccess::ShownText(text));
}

}  // namespace uAlg
