#include "dbaccess/exec/expression_eval.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "dbaccess/base/decimal_text.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/ole_date.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess {
namespace je = jet_errors;
using sql::Expr;

namespace {

bool InDefault(const EvalContext& c) { return !c.table.empty(); }

[[noreturn]] void UnknownFunction(const std::string& name, const EvalContext& c) {
  if (InDefault(c)) throw je::UnknownFunctionInDefault(name, c.table, c.field);
  throw je::UndefinedFunction(name);
}

[[noreturn]] void BadLiteral(const EvalContext& c) {
  if (InDefault(c)) throw je::ExpressionTooComplex();
  throw je::SyntaxErrorInInsert();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBits(const std::string& hex, size_t digits, uint64_t& bits) {
  if (hex.size() != digits) return false;
  bits = 0;
  for (char c : hex) {
    const int v = HexValue(c);
    if (v < 0) return false;
    bits = bits << 4 | static_cast<uint64_t>(v);
  }
  return true;
}

// A number for arithmetic; false for values that are not numbers.
bool AsDouble(const SqlValue& v, double& out) {
  switch (v.kind) {
    case SqlValue::Kind::kBoolean:
      out = v.boolean ? -1 : 0;
      return true;
    case SqlValue::Kind::kDouble:
    case SqlValue::Kind::kDate:
      out = v.number;
      return true;
    case SqlValue::Kind::kNumber:
    case SqlValue::Kind::kText: {
      Column as_double;
      as_double.type = DataType::kDouble;
      Cell cell;
      if (ConvertValue(v, as_double, cell) != ConvertStatus::kOk) return false;
      if (!std::holds_alternative<double>(cell)) return false;
      out = std::get<double>(cell);
      return true;
    }
    default:
      return false;
  }
}

SqlValue Negate(const SqlValue& v) {
  switch (v.kind) {
    case SqlValue::Kind::kNull:
      return v;
    case SqlValue::Kind::kNumber: {
      // Keep the number exact: flip its sign in the text.
      if (!v.text.empty() && v.text[0] == '-') return SqlValue::Number(v.text.substr(1));
      return SqlValue::Number("-" + v.text);
    }
    case SqlValue::Kind::kDouble:
      return SqlValue::Double(-v.number, v.single);
    default: {
      double d = 0;
      if (!AsDouble(v, d)) throw je::TypeMismatch();
      return SqlValue::Double(-d);
    }
  }
}

SqlValue Arithmetic(const std::string& op, const SqlValue& a, const SqlValue& b) {
  if (a.kind == SqlValue::Kind::kNull || b.kind == SqlValue::Kind::kNull) return SqlValue::Null();
  if (op == "+" && a.kind == SqlValue::Kind::kText && b.kind == SqlValue::Kind::kText) {
    return SqlValue::Text(a.text + b.text);
  }
  double x = 0, y = 0;
  if (!AsDouble(a, x) || !AsDouble(b, y)) throw je::TypeMismatch();
  const bool date_a = a.kind == SqlValue::Kind::kDate;
  const bool date_b = b.kind == SqlValue::Kind::kDate;
  if (op == "+") {
    const double r = x + y;
    return (date_a || date_b) ? SqlValue::Date(r) : SqlValue::Double(r);
  }
  if (op == "-") {
    const double r = x - y;
    return (date_a && !date_b) ? SqlValue::Date(r) : SqlValue::Double(r);
  }
  if (op == "*") return SqlValue::Double(x * y);
  if (y == 0) throw JetError(11, "Division by zero");
  return SqlValue::Double(x / y);
}

SqlValue Call(const Expr& e, const EvalContext& c) {
  const std::string name = FoldName(e.text);
  const size_t argc = e.args.size();
  if ((name == "now" || name == "date" || name == "time") && argc == 0) {
    const double now = OleDateNow();
    if (name == "now") return SqlValue::Date(now);
    if (name == "date") return SqlValue::Date(std::trunc(now));
    return SqlValue::Date(now - std::trunc(now));
  }
  if ((name == "chr" || name == "chrw") && argc == 1) {
    double code = 0;
    if (!AsDouble(Evaluate(e.args[0], c), code) || code < 0 || code > 0x10FFFF) {
      throw je::TypeMismatch();
    }
    std::string s;
    AppendUtf8(s, static_cast<char32_t>(code));
    return SqlValue::Text(std::move(s));
  }
  if (name == "cdate" && argc == 1) {
    const SqlValue v = Evaluate(e.args[0], c);
    if (v.kind == SqlValue::Kind::kNull) throw je::TypeMismatch();
    if (v.kind == SqlValue::Kind::kText) {
      double d = 0;
      if (!ParseDateText(v.text, d)) throw je::TypeMismatch();
      return SqlValue::Date(d);
    }
    double d = 0;
    if (!AsDouble(v, d)) throw je::TypeMismatch();
    return SqlValue::Date(d);
  }
  if (c.script && (name == "doublebits" || name == "singlebits") && argc == 1 &&
      e.args[0].kind == Expr::Kind::kString) {
    uint64_t bits = 0;
    if (name == "doublebits") {
      if (!ParseHexBits(e.args[0].text, 16, bits)) BadLiteral(c);
      return SqlValue::Double(std::bit_cast<double>(bits));
    }
    if (!ParseHexBits(e.args[0].text, 8, bits)) BadLiteral(c);
    return SqlValue::Double(std::bit_cast<float>(static_cast<uint32_t>(bits)), true);
  }
  UnknownFunction(e.text, c);
}

}  // namespace

SqlValue Evaluate(const Expr& e, const EvalContext& c) {
  switch (e.kind) {
    case Expr::Kind::kNumber:
      return SqlValue::Number(e.text);
    case Expr::Kind::kString:
      return SqlValue::Text(e.text);
    case Expr::Kind::kDate: {
      double d = 0;
      if (!ParseDateText(e.text, d)) BadLiteral(c);
      return SqlValue::Date(d);
    }
    case Expr::Kind::kBinary: {
      if (e.text.size() % 2 != 0) BadLiteral(c);
      std::vector<uint8_t> bytes(e.text.size() / 2);
      for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(HexValue(e.text[2 * i]) << 4 | HexValue(e.text[2 * i + 1]));
      }
      return SqlValue::Binary(std::move(bytes));
    }
    case Expr::Kind::kBoolean:
      return SqlValue::Boolean(e.boolean);
    case Expr::Kind::kNull:
      return SqlValue::Null();
    case Expr::Kind::kParen:
      return Evaluate(e.args[0], c);
    case Expr::Kind::kName:
      if (InDefault(c)) throw je::UnknownNameInDefault(e.text, c.table);
      throw je::TooFewParameters(1);
    case Expr::Kind::kCall:
      return Call(e, c);
    case Expr::Kind::kUnary: {
      const SqlValue v = Evaluate(e.args[0], c);
      if (e.text == "-") return Negate(v);
      if (e.text == "+") {
        if (v.kind == SqlValue::Kind::kText) throw je::TypeMismatch();
        return v;
      }
      throw je::ExpressionTooComplex();
    }
    case Expr::Kind::kBinaryOp: {
      if (e.text == "&") {
        const SqlValue a = Evaluate(e.args[0], c);
        const SqlValue b = Evaluate(e.args[1], c);
        if (a.kind == SqlValue::Kind::kNull && b.kind == SqlValue::Kind::kNull) {
          return SqlValue::Null();
        }
        return SqlValue::Text(ValueAsText(a) + ValueAsText(b));
      }
      if (e.text == "+" || e.text == "-" || e.text == "*" || e.text == "/") {
        return Arithmetic(e.text, Evaluate(e.args[0], c), Evaluate(e.args[1], c));
      }
      throw je::ExpressionTooComplex();
    }
    default:
      throw je::ExpressionTooComplex();
  }
}

}  // namespace dbaccess
