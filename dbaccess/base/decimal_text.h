// Exact decimal numbers held as digit strings, so that Currency and Decimal values and the
// numbers written in SQL text convert without passing through binary floating point.
#ifndef SKARNVEL_DBACCESS_BASE_DECIMAL_TEXT_H_
#define SKARNVEL_DBACCESS_BASE_DECIMAL_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace dbaccess {

// value = (negative ? -1 : 1) * digits * 10^exponent. `digits` has no leading zeros and is
// empty for zero (which is never negative).
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // Digits before the decimal point (0 for |value| < 1).
  int IntegerDigits() const;
};

// "[+|-]digits[.digits][E[+|-]digits]" or ".5"; nothing else, no blanks. False otherwise.
bool ParseDecimal(std::string_view text, DecimalNumber& out);

// Rounds to `scale` digits after the point, halves to the even neighbour (as Jet and VBA
// do when they convert to Currency or an integer).
DecimalNumber RoundToScale(const DecimalNumber& number, int scale);

// Fixed-point text with exactly `scale` digits after the point ("-12.50"); the number is
// rounded first. Zero has no sign.
std::string FormatFixed(const DecimalNumber& number, int scale);
// The shortest fixed-point text ("12.5", "-0.0001", "1000").
std::string FormatShortest(const DecimalNumber& number);

// The integer value after rounding to scale 0; false when it does not fit in 64 bits.
bool ToInt64(const DecimalNumber& number, int64_t& out);
// The number scaled by 10^scale and rounded, as a 64-bit integer (Currency: scale 4).
bool ToScaledInt64(const DecimalNumber& number, int scale, int64_t& out);

// value / 10^scale.
DecimalNumber FromScaledInt64(int64_t value, int scale);
// The shortest decimal that reads back as the same double; false for NaN and infinities.
bool FromDouble(double value, DecimalNumber& out);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_DECIMAL_TEXT_H_
