// The filter of a client-side recordset: a parsed condition on one row.
//
//   condition  := term { OR term }
//   term       := factor { AND factor }
//   factor     := "(" condition ")" | field op value
//   field      := a name of letters, digits and "_" (any alphabet), or [a name in brackets]
//   op         := "=" | "<>" | "<" | ">" | "<=" | ">=" | LIKE
//   value      := 'text' ('' stands for a quote) | "text" | integer | True | False | Null
//
// Keywords and field names are matched without regard to case, blanks between tokens are
// optional. Texts compare without regard to case by the engine's name rule (Cyrillic letters
// folded too). LIKE takes "*" or "%" for any run of characters and "_" or "?" for one.
// "= Null" holds for a null or empty value, "<> Null" for any other; a null value satisfies
// no other comparison.
#ifndef SKARNVEL_DBACCESS_ADO_FILTER_H_
#define SKARNVEL_DBACCESS_ADO_FILTER_H_

#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/base/variant.h"

namespace dbaccess::ado {

class Filter {
 public:
  // Parses `text` against the recordset's field names. Throws JetError 3001 for text it
  // cannot read and 3265 for a field the recordset does not have.
  static Filter Parse(std::string_view text, const std::vector<std::string>& field_names);

  // True when the row (one value per field) satisfies the condition. Throws JetError 3001
  // when a value cannot be compared with the row's value (e.g. 'abc' with an integer).
  bool Matches(const std::vector<Variant>& row) const;

 private:
  enum class Op { kAnd, kOr, kEq, kNe, kLt, kGt, kLe, kGe, kLike };
  struct Node {
    Op op = Op::kEq;
    int left = -1;  // kAnd / kOr: child nodes
    int right = -1;
    int field = -1;  // comparisons: field index and the literal
    Variant value;
    std::string folded;  // the literal text folded, for text comparisons
  };
  class Parser;

  bool Eval(int node, const std::vector<Variant>& row) const;
  bool Compare(const Node& node, const Variant& field) const;

  std::vector<Node> nodes_;
  int root_ = -1;
};

}  // namespace dbaccess::ado

#endif  // SKARNVEL_DBACCESS_ADO_FILTER_H_
