// Whether a text is exactly one expression of the engine's dialect, as the parser reads it:
// blanks around it allowed, and one "=" before it, as Access keeps a default typed as
// "=Date()". "0; ALTER TABLE ..." is not, nor is an expression nested too deeply. What
// passes can be written into a command as a clause without becoming a second statement.
#ifndef SKARNVEL_DBACCESS_SQL_ONE_EXPRESSION_H_
#define SKARNVEL_DBACCESS_SQL_ONE_EXPRESSION_H_

#include <string_view>

namespace dbaccess::sql {

bool IsOneExpression(std::string_view text);

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_ONE_EXPRESSION_H_
