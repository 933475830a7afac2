// An expression of the dialect as the parser read it: DEFAULT values and INSERT values.
//
// The tree keeps the literal texts as written (a number stays "12.50", so that a Decimal or
// Currency column gets it exactly) and the source span of every node.
#ifndef SKARNVEL_DBACCESS_SQL_EXPRESSION_H_
#define SKARNVEL_DBACCESS_SQL_EXPRESSION_H_

#include <cstddef>
#include <string>
#include <vector>

namespace dbaccess::sql {

struct Expr {
  enum class Kind {
    kNumber,   // text: the number as written, without sign
    kString,   // text: the value
    kDate,     // text: what stood between the "#" signs
    kBinary,   // text: hexadecimal digits of a 0x literal
    kBoolean,  // True/False/Yes/No/On/Off; boolean
    kNull,
    kName,      // text: the name; args: further parts of a qualified name (a.b, a!b)
    kCall,      // text: the function's name; args: the arguments
    kUnary,     // text: "-", "+" or "NOT"; args[0]
    kBinaryOp,  // text: the operator in upper case ("+", "&", "AND", "LIKE", "NOT LIKE"...)
    kBetween,   // args: value, low, high; text "BETWEEN" or "NOT BETWEEN"
    kIn,        // args: value, then the list; text "IN" or "NOT IN"
    kIsNull,    // args[0]; text "IS NULL" or "IS NOT NULL"
    kParen,     // args[0] in parentheses
  };

  Kind kind = Kind::kNull;
  std::string text;
  bool boolean = false;
  std::vector<Expr> args;
  size_t begin = 0;  // source span, byte offsets
  size_t end = 0;
  int depth = 1;  // levels of the tree from this node down (1 for a leaf)
};

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_EXPRESSION_H_
