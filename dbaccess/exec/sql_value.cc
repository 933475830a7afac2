#include "dbaccess/exec/sql_value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "dbaccess/base/decimal_text.h"
#include "dbaccess/base/ole_date.h"
#include "dbaccess/base/utf8.h"

namespace dbaccess {
namespace {

constexpr int kCurrencyScale = 4;
constexpr int kSingleDigits = 7;
constexpr int kDoubleDigits = 15;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsUpper(std::string_view s, const char* upper) {
  size_t i = 0;
  for (; upper[i] != 0; ++i) {
    if (i >= s.size()) return false;
    char c = s[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return i == s.size();
}

enum class Numeric { kOk, kNull, kMismatch, kOverflow };

ConvertStatus StatusOf(Numeric n) {
  return n == Numeric::kOverflow ? ConvertStatus::kOverflow : ConvertStatus::kMismatch;
}

Numeric ToDecimal(const SqlValue& v, DecimalNumber& out) {
  switch (v.kind) {
    case SqlValue::Kind::kNull:
      return Numeric::kNull;
    case SqlValue::Kind::kBoolean:
      out = FromScaledInt64(v.boolean ? -1 : 0, 0);
      return Numeric::kOk;
    case SqlValue::Kind::kNumber:
      return ParseDecimal(v.text, out) ? Numeric::kOk : Numeric::kMismatch;
    case SqlValue::Kind::kDouble:
    case SqlValue::Kind::kDate:
      return FromDouble(v.number, out) ? Numeric::kOk : Numeric::kOverflow;
    case SqlValue::Kind::kText: {
      const std::string_view t = Trim(v.text);
      if (t.empty()) return Numeric::kNull;
      return ParseDecimal(t, out) ? Numeric::kOk : Numeric::kMismatch;
    }
    case SqlValue::Kind::kBinary:
      return Numeric::kMismatch;
  }
  return Numeric::kMismatch;
}

// Reads decimal text as the nearest double or float, without regard to the C locale.
Numeric ParseFloating(std::string_view text, bool single, double& out) {
  DecimalNumber check;
  if (!ParseDecimal(text, check)) return Numeric::kMismatch;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const char* first = text.data();
  const char* last = text.data() + text.size();
  std::from_chars_result r;
  if (single) {
    float f = 0;
    r = std::from_chars(first, last, f);
    out = f;
  } else {
    r = std::from_chars(first, last, out);
  }
  if (r.ec == std::errc::result_out_of_range) {
    if (check.IntegerDigits() > 0) return Numeric::kOverflow;
    out = check.negative ? -0.0 : 0.0;  // too small to tell from zero
    return Numeric::kOk;
  }
  return r.ec == std::errc() && r.ptr == last ? Numeric::kOk : Numeric::kMismatch;
}

Numeric ToFloating(const SqlValue& v, bool single, double& out) {
  switch (v.kind) {
    case SqlValue::Kind::kNull:
      return Numeric::kNull;
    case SqlValue::Kind::kBoolean:
      out = v.boolean ? -1 : 0;
      return Numeric::kOk;
    case SqlValue::Kind::kNumber:
      return ParseFloating(v.text, single, out);
    case SqlValue::Kind::kDouble:
    case SqlValue::Kind::kDate:
      if (single && !v.single) {
        const float f = static_cast<float>(v.number);
        if (std::isinf(f) && std::isfinite(v.number)) return Numeric::kOverflow;
        out = f;
      } else {
        out = v.number;
      }
      return Numeric::kOk;
    case SqlValue::Kind::kText: {
      const std::string_view t = Trim(v.text);
      if (t.empty()) return Numeric::kNull;
      return ParseFloating(t, single, out);
    }
    case SqlValue::Kind::kBinary:
      return Numeric::kMismatch;
  }
  return Numeric::kMismatch;
}

std::string FormatFloating(double value, bool single) {
  char buffer[64];
  const auto r = single ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                                        std::chars_format::general, kSingleDigits)
                        : std::to_chars(buffer, buffer + sizeof buffer, value,
                                        std::chars_format::general, kDoubleDigits);
  std::string s(buffer, r.ptr);
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return s;
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

ConvertStatus Integer(const SqlValue& value, int64_t low, int64_t high, Cell& out) {
  DecimalNumber d;
  const Numeric n = ToDecimal(value, d);
  if (n == Numeric::kNull) {
    out = std::monostate();
    return ConvertStatus::kOk;
  }
  if (n != Numeric::kOk) return StatusOf(n);
  int64_t v = 0;
  if (!ToInt64(d, v) || v < low || v > high) return ConvertStatus::kOverflow;
  out = v;
  return ConvertStatus::kOk;
}

}  // namespace

SqlValue SqlValue::Boolean(bool b) {
  SqlValue v;
  v.kind = Kind::kBoolean;
  v.boolean = b;
  return v;
}
SqlValue SqlValue::Number(std::string decimal_text) {
  SqlValue v;
  v.kind = Kind::kNumber;
  v.text = std::move(decimal_text);
  return v;
}
SqlValue SqlValue::Double(double d, bool single) {
  SqlValue v;
  v.kind = Kind::kDouble;
  v.number = d;
  v.single = single;
  return v;
}
SqlValue SqlValue::Date(double ole_date) {
  SqlValue v;
  v.kind = Kind::kDate;
  v.number = ole_date;
  return v;
}
SqlValue SqlValue::Text(std::string s) {
  SqlValue v;
  v.kind = Kind::kText;
  v.text = std::move(s);
  return v;
}
SqlValue SqlValue::Binary(std::vector<uint8_t> b) {
  SqlValue v;
  v.kind = Kind::kBinary;
  v.bytes = std::move(b);
  return v;
}

size_t Utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size();) units += NextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
  return units;
}

bool CanonicalGuid(std::string_view text, std::string& out) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return false;
  std::string g = "{";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return false;
      g += c;
      continue;
    }
    if (!IsHex(c)) return false;
    g += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  out = g + "}";
  return true;
}

std::string ValueAsText(const SqlValue& value) {
  switch (value.kind) {
    case SqlValue::Kind::kNull:
      return std::string();
    case SqlValue::Kind::kBoolean:
      return value.boolean ? "True" : "False";
    case SqlValue::Kind::kNumber: {
      DecimalNumber d;
      return ParseDecimal(value.text, d) ? FormatShortest(d) : value.text;
    }
    case SqlValue::Kind::kDouble:
      return FormatFloating(value.number, value.single);
    case SqlValue::Kind::kDate: {
      std::string s = FormatDateText(value.number);
      return s.empty() ? FormatFloating(value.number, false) : s;
    }
    case SqlValue::Kind::kText:
      return value.text;
    case SqlValue::Kind::kBinary:
      return std::string();
  }
  return std::string();
}

namespace {

ConvertStatus ConvertToColumn(const SqlValue& value, const Column& column, Cell& out) {
  if (value.kind == SqlValue::Kind::kNull) {
    out = std::monostate();
    return ConvertStatus::kOk;
  }
  const bool blank_text = value.kind == SqlValue::Kind::kText && Trim(value.text).empty();
  switch (column.type) {
    case DataType::kBit:
      switch (value.kind) {
        case SqlValue::Kind::kBoolean:
          out = value.boolean;
          return ConvertStatus::kOk;
        case SqlValue::Kind::kDouble:
        case SqlValue::Kind::kDate:
          out = value.number != 0;
          return ConvertStatus::kOk;
        case SqlValue::Kind::kText: {
          const std::string_view t = Trim(value.text);
          if (t.empty()) {
            out = std::monostate();
            return ConvertStatus::kOk;
          }
          if (EqualsUpper(t, "TRUE") || EqualsUpper(t, "YES") || EqualsUpper(t, "ON")) {
            out = true;
            return ConvertStatus::kOk;
          }
          if (EqualsUpper(t, "FALSE") || EqualsUpper(t, "NO") || EqualsUpper(t, "OFF")) {
            out = false;
            return ConvertStatus::kOk;
          }
          [[fallthrough]];
        }
        case SqlValue::Kind::kNumber: {
          DecimalNumber d;
          const Numeric n = ToDecimal(value, d);
          if (n != Numeric::kOk) return StatusOf(n);
          out = !d.IsZero();
          return ConvertStatus::kOk;
        }
        default:
          return ConvertStatus::kMismatch;
      }
    case DataType::kByte:
      return Integer(value, 0, 255, out);
    case DataType::kShort:
      return Integer(value, std::numeric_limits<int16_t>::min(),
                     std::numeric_limits<int16_t>::max(), out);
    case DataType::kLong:
      return Integer(value, std::numeric_limits<int32_t>::min(),
                     std::numeric_limits<int32_t>::max(), out);
    case DataType::kCurrency:
    case DataType::kDecimal: {
      DecimalNumber d;
      const Numeric n = ToDecimal(value, d);
      if (n == Numeric::kNull) {
        out = std::monostate();
        return ConvertStatus::kOk;
      }
      if (n != Numeric::kOk) return StatusOf(n);
      if (column.type == DataType::kCurrency) {
        int64_t v = 0;
        if (!ToScaledInt64(d, kCurrencyScale, v)) return ConvertStatus::kOverflow;
        out = v;
      } else {
        const DecimalNumber r = RoundToScale(d, column.scale);
        if (r.IntegerDigits() > column.precision - column.scale) return ConvertStatus::kOverflow;
        out = FormatFixed(r, column.scale);
      }
      return ConvertStatus::kOk;
    }
    case DataType::kSingle:
    case DataType::kDouble: {
      double d = 0;
      const Numeric n = ToFloating(value, column.type == DataType::kSingle, d);
      if (n == Numeric::kNull) {
        out = std::monostate();
        return ConvertStatus::kOk;
      }
      if (n != Numeric::kOk) return StatusOf(n);
      out = d;
      return ConvertStatus::kOk;
    }
    case DataType::kDateTime: {
      if (value.kind == SqlValue::Kind::kDate) {
        out = value.number;
        return ConvertStatus::kOk;
      }
      if (value.kind == SqlValue::Kind::kBinary) return ConvertStatus::kMismatch;
      if (value.kind == SqlValue::Kind::kText) {
        double d = 0;
        if (blank_text) {
          out = std::monostate();
        } else if (ParseDateText(value.text, d)) {
          out = d;
        } else {
          return ConvertStatus::kMismatch;
        }
        return ConvertStatus::kOk;
      }
      double d = 0;
      const Numeric n = ToFloating(value, false, d);
      if (n != Numeric::kOk) return StatusOf(n);
      if (!(d >= kMinOleDate && d <= kMaxOleDate)) return ConvertStatus::kOverflow;
      out = d;
      return ConvertStatus::kOk;
    }
    case DataType::kText:
    case DataType::kMemo: {
      if (value.kind == SqlValue::Kind::kBinary) return ConvertStatus::kMismatch;
      std::string s = ValueAsText(value);
      if (column.type == DataType::kText && column.size > 0 &&
          Utf16Length(s) > static_cast<size_t>(column.size)) {
        return ConvertStatus::kTooLong;
      }
      out = std::move(s);
      return ConvertStatus::kOk;
    }
    case DataType::kGuid: {
      if (value.kind != SqlValue::Kind::kText) return ConvertStatus::kMismatch;
      if (blank_text) {
        out = std::monostate();
        return ConvertStatus::kOk;
      }
      std::string g;
      if (!CanonicalGuid(Trim(value.text), g)) return ConvertStatus::kMismatch;
      out = std::move(g);
      return ConvertStatus::kOk;
    }
    case DataType::kBinary:
    case DataType::kLongBinary:
      if (value.kind != SqlValue::Kind::kBinary) return ConvertStatus::kMismatch;
      if (column.type == DataType::kBinary && column.size > 0 &&
          value.bytes.size() > static_cast<size_t>(column.size)) {
        return ConvertStatus::kTooLong;
      }
      out = Bytes{value.bytes};
      return ConvertStatus::kOk;
  }
  return ConvertStatus::kMismatch;
}

}  // namespace

ConvertStatus ConvertValue(const SqlValue& value, const Column& column, Cell& out) {
  const ConvertStatus status = ConvertToColumn(value, column, out);
  if (status == ConvertStatus::kOk && column.type == DataType::kBit && IsNull(out)) out = false;
  return status;
}

SqlValue ValueFromCell(const Cell& cell, DataType type) {
  struct Visitor {
    DataType type;
    SqlValue operator()(std::monostate) const { return SqlValue::Null(); }
    SqlValue operator()(bool b) const { return SqlValue::Boolean(b); }
    SqlValue operator()(int64_t v) const {
      if (type == DataType::kCurrency) {
        return SqlValue::Number(FormatShortest(FromScaledInt64(v, kCurrencyScale)));
      }
      return SqlValue::Number(std::to_string(v));
    }
    SqlValue operator()(double d) const {
      if (type == DataType::kDateTime) return SqlValue::Date(d);
      return SqlValue::Double(d, type == DataType::kSingle);
    }
    SqlValue operator()(const std::string& s) const {
      if (type == DataType::kDecimal) return SqlValue::Number(s);
      return SqlValue::Text(s);
    }
    SqlValue operator()(const Bytes& b) const { return SqlValue::Binary(b.data); }
  };
  return std::visit(Visitor{type}, cell);
}

}  // namespace dbaccess
