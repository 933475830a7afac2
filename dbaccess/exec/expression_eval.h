// Evaluates the expressions an INSERT gives as values and the DEFAULT expressions of
// columns that INSERT leaves out.
//
// What is evaluated: literals (numbers, 'texts', #dates#, 0x binary, True/False/Yes/No/
// On/Off, Null), parentheses, unary + and -, "&" (text concatenation), + - * / (numbers,
// a date plus or minus days, + on two texts concatenates), and the functions Now(), Date(),
// Time(), Chr(n), ChrW(n), CDate(x). Database scripts also have DoubleBits('16 hex
// digits') and SingleBits('8 hex digits'), which give a Double or Single with exactly those
// bits (NaN and infinities included). Everything else is refused with Jet's error for it:
// an unknown function, a field name where a value is wanted, or an expression too complex
// for this engine.
#ifndef SKARNVEL_DBACCESS_EXEC_EXPRESSION_EVAL_H_
#define SKARNVEL_DBACCESS_EXEC_EXPRESSION_EVAL_H_

#include <string>

#include "dbaccess/exec/sql_value.h"
#include "dbaccess/sql/expression.h"

namespace dbaccess {

struct EvalContext {
  bool script = false;
  // Set while evaluating the DEFAULT of table.field: errors then name the default.
  std::string table;
  std::string field;
};

SqlValue Evaluate(const sql::Expr& expr, const EvalContext& context);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_EXEC_EXPRESSION_EVAL_H_
