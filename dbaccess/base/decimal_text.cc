#include "dbaccess/base/decimal_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace dbaccess {
namespace {

constexpr int kMaxExponent = 100000;  // beyond any type of the engine; keeps strings small

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Normalize(DecimalNumber& n) {
  size_t lead = 0;
  while (lead < n.digits.size() && n.digits[lead] == '0') ++lead;
  n.digits.erase(0, lead);
  while (!n.digits.empty() && n.digits.back() == '0') {
    n.digits.pop_back();
    ++n.exponent;
  }
  if (n.digits.empty()) {
    n.negative = false;
    n.exponent = 0;
  }
}

// Adds one unit in the last place of a digit string.
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

int DecimalNumber::IntegerDigits() const {
  const int n = static_cast<int>(digits.size()) + exponent;
  return n > 0 ? n : 0;
}

bool ParseDecimal(std::string_view text, DecimalNumber& out) {
  DecimalNumber n;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    n.negative = text[i] == '-';
    ++i;
  }
  bool any_digit = false;
  while (i < text.size() && IsDigit(text[i])) {
    n.digits += text[i++];
    any_digit = true;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      n.digits += text[i++];
      --n.exponent;
      any_digit = true;
    }
  }
  if (!any_digit) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool minus = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';
    if (i >= text.size() || !IsDigit(text[i])) return false;
    int e = 0;
    while (i < text.size() && IsDigit(text[i])) {
      if (e < kMaxExponent) e = e * 10 + (text[i] - '0');
      ++i;
    }
    n.exponent += minus ? -e : e;
  }
  if (i != text.size()) return false;
  Normalize(n);
  if (n.exponent > kMaxExponent) n.exponent = kMaxExponent;
  if (n.exponent < -kMaxExponent) n = DecimalNumber();  // below any precision: zero
  out = std::move(n);
  return true;
}

DecimalNumber RoundToScale(const DecimalNumber& number, int scale) {
  if (number.IsZero() || number.exponent >= -scale) return number;
  DecimalNumber r = number;
  const int drop = -scale - number.exponent;  // digits to remove on the right
  if (drop > static_cast<int>(r.digits.size())) {
    return DecimalNumber();  // less than half a unit of the last place: zero
  }
  const std::string dropped = r.digits.substr(r.digits.size() - drop);
  r.digits.resize(r.digits.size() - drop);
  r.exponent = -scale;
  bool up = false;
  if (dropped[0] > '5') {
    up = true;
  } else if (dropped[0] == '5') {
    const bool rest_zero = dropped.find_first_not_of('0', 1) == std::string::npos;
    if (!rest_zero) {
      up = true;
    } else {
      const char last = r.digits.empty() ? '0' : r.digits.back();
      up = ((last - '0') % 2) == 1;
    }
  }
  if (up) {
    if (r.digits.empty()) r.digits.push_back('0');
    Increment(r.digits);
  }
  Normalize(r);
  return r;
}

std::string FormatFixed(const DecimalNumber& number, int scale) {
  const DecimalNumber r = RoundToScale(number, scale);
  // All digits with the point `scale` places from the right.
  std::string all = r.digits;
  if (!all.empty()) all.append(static_cast<size_t>(r.exponent + scale), '0');
  if (static_cast<int>(all.size()) <= scale) all.insert(0, scale + 1 - all.size(), '0');
  std::string out;
  if (r.negative) out += '-';
  out.append(all, 0, all.size() - scale);
  if (scale > 0) {
    out += '.';
    out.append(all, all.size() - scale, std::string::npos);
  }
  return out;
}

std::string FormatShortest(const DecimalNumber& number) {
  const int scale = number.exponent < 0 ? -number.exponent : 0;
  return FormatFixed(number, scale);
}

bool ToScaledInt64(const DecimalNumber& number, int scale, int64_t& out) {
  const DecimalNumber r = RoundToScale(number, scale);
  if (r.IsZero()) {
    out = 0;
    return true;
  }
  const int length = static_cast<int>(r.digits.size()) + r.exponent + scale;
  if (length > 19) return false;
  // Accumulate negatively so that the most negative value fits.
  int64_t value = 0;
  for (int i = 0; i < length; ++i) {
    const int digit = i < static_cast<int>(r.digits.size()) ? r.digits[i] - '0' : 0;
    if (value < (std::numeric_limits<int64_t>::min() + digit) / 10) return false;
    value = value * 10 - digit;
  }
  if (!r.negative) {
    if (value == std::numeric_limits<int64_t>::min()) return false;
    value = -value;
  }
  out = value;
  return true;
}

bool ToInt64(const DecimalNumber& number, int64_t& out) { return ToScaledInt64(number, 0, out); }

DecimalNumber FromScaledInt64(int64_t value, int scale) {
  DecimalNumber n;
  n.negative = value < 0;
  const uint64_t magnitude =
      n.negative ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  n.digits = std::to_string(magnitude);
  n.exponent = -scale;
  Normalize(n);
  return n;
}

bool FromDouble(double value, DecimalNumber& out) {
  if (!std::isfinite(value)) return false;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  const bool ok = ParseDecimal(std::string_view(buffer, result.ptr - buffer), out);
  return ok;
}

}  // namespace dbaccess
