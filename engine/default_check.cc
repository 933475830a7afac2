#include "engine/default_check.h"

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/shown_text.h"
#include "dbaccess/sql/one_expression.h"

namespace uAlg {
namespace {

constexpr int kSyntaxErrorInFieldDefinition = 3292;

}  // namespace

void CheckDefaultForCommand(const std::string& table, const TField& field) {
  const std::string text = field.Props[kDefaultValueProp].Value.DisplayText();
  if (text.empty() || dbaccess::sql::IsOneExpression(text)) return;
  throw dbaccess::JetError(
      kSyntaxErrorInFieldDefinition,
      "Syntax error in field definition. The default value of field '" +
          dbaccess::ShownText(table) + "." + dbaccess::ShownText(field.Name) +
          "' is not one expression and cannot be part of a command: " + dbaccess::ShownText(text));
}

}  // namespace uAlg
