#include "dbaccess/exec/sql_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "dbaccess/base/decimal_text.h"
#include "dbaccess/base/ole_date.h"
#include "dbaccess/exec/executor_testing.h"
#include "dbaccess/exec/expression_eval.h"
#include "dbaccess/sql/parser.h"

namespace dbaccess {
namespace {

using testing::CatchJetError;

TEST(DecimalTextTest, ParsesRoundsAndFormatsExactly) {
  DecimalNumber n;
  for (const char* bad : {"", "-", ".", "abc", "1e", "1e+", "1.2.3", " 1", "1,5", "0x10"}) {
    EXPECT_FALSE(ParseDecimal(bad, n)) << bad;
  }
  struct Case {
    const char* text;
    int scale;
    const char* fixed;
  };
  const Case cases[] = {
      {"2.5", 0, "2"},
      {"3.5", 0, "4"},
      {"-2.5", 0, "-2"},
      {"1.23455", 4, "1.2346"},
      {"1.23465", 4, "1.2346"},
      {"0.00005", 4, "0.0000"},
      {"0.00015", 4, "0.0002"},
      {"9.99995", 4, "10.0000"},
      {"-0.001", 2, "0.00"},
      {"-12.5", 2, "-12.50"},
      {"1E+3", 0, "1000"},
      {".5", 1, "0.5"},
      {"5.", 0, "5"},
      {"-0", 3, "0.000"},
      {"0.0000000001", 2, "0.00"},
      {"123456789012345678901234567890", 0, "123456789012345678901234567890"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ParseDecimal(c.text, n)) << c.text;
    EXPECT_EQ(FormatFixed(n, c.scale), c.fixed) << c.text;
  }
  ASSERT_TRUE(ParseDecimal("12.50", n));
  EXPECT_EQ(FormatShortest(n), "12.5");
  int64_t v = 0;
  ASSERT_TRUE(ParseDecimal("922337203685477.5807", n));
  EXPECT_TRUE(ToScaledInt64(n, 4, v));
  EXPECT_EQ(v, std::numeric_limits<int64_t>::max());
  ASSERT_TRUE(ParseDecimal("-922337203685477.5808", n));
  EXPECT_TRUE(ToScaledInt64(n, 4, v));
  EXPECT_EQ(v, std::numeric_limits<int64_t>::min());
  ASSERT_TRUE(ParseDecimal("922337203685477.5808", n));
  EXPECT_FALSE(ToScaledInt64(n, 4, v));
  EXPECT_EQ(FormatShortest(FromScaledInt64(std::numeric_limits<int64_t>::min(), 4)),
            "-922337203685477.5808");
  ASSERT_TRUE(FromDouble(0.1, n));
  EXPECT_EQ(FormatShortest(n), "0.1");
  EXPECT_FALSE(FromDouble(std::nan(""), n));
}

TEST(OleDateTest, DaysSince1899AndTheFractionAsTimeOfDay) {
  const std::pair<const char*, double> cases[] = {
      {"1899-12-30", 0.0},
      {"1900-01-01", 2.0},
      {"2021-01-02 12:00:00", 44198.5},
      {"1899-12-29 06:00:00", -1.25},  // before 1899-12-30 the fraction still counts forward
      {"0100-01-01", kMinOleDate},
      {"1/2/2021 12:00 PM", 44198.5},
      {"1/2/2021 12:00 am", 44198.0},
      {"12:00:00", 0.5},
      {"1/2/29", 47120.0},  // two-digit years: 2029
      {"1/1/30", 10959.0},  // and 1930
      {" 2021-01-02T12:00 ", 44198.5},
  };
  for (const auto& [text, value] : cases) {
    double parsed = -1;
    EXPECT_TRUE(ParseDateText(text, parsed)) << text;
    EXPECT_EQ(parsed, value) << text;
  }
  for (const char* bad : {"", "2/30/2020", "2020-13-01", "13:60", "25:00", "2021-01-02 x",
                          "0099-12-31", "10000-01-01", "1/2/2021 13:00 PM"}) {
    double parsed = 0;
    EXPECT_FALSE(ParseDateText(bad, parsed)) << bad;
  }
  EXPECT_EQ(FormatDateText(0.0), "00:00:00");
  EXPECT_EQ(FormatDateText(0.5), "12:00:00");
  EXPECT_EQ(FormatDateText(-1.25), "1899-12-29 06:00:00");
  EXPECT_EQ(FormatDateText(44198.0), "2021-01-02");
  EXPECT_EQ(FormatDateText(44198.999999999), "2021-01-03");  // rounded to the second
  EXPECT_EQ(FormatDateText(kMaxOleDate), "9999-12-31 23:59:59");
  EXPECT_EQ(FormatDateText(kMaxOleDate + 1), "");
  EXPECT_EQ(FormatDateText(std::nan("")), "");
}

Column Col(DataType type, int size = 0, int precision = 0, int scale = 0) {
  Column c;
  c.type = type;
  c.size = size;
  c.precision = precision;
  c.scale = scale;
  return c;
}

TEST(SqlValueTest, ConvertsByTheRulesOfEachType) {
  using S = ConvertStatus;
  using V = SqlValue;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    SqlValue value;
    Column column;
    ConvertStatus status;
    Cell expected;
  };
  const Case cases[] = {
      {V::Number("255"), Col(DataType::kByte), S::kOk, int64_t{255}},
      {V::Number("256"), Col(DataType::kByte), S::kOverflow, {}},
      {V::Number("-1"), Col(DataType::kByte), S::kOverflow, {}},
      {V::Boolean(true), Col(DataType::kByte), S::kOverflow, {}},  // True is -1
      {V::Number("2.5"), Col(DataType::kShort), S::kOk, int64_t{2}},
      {V::Number("-32768.4"), Col(DataType::kShort), S::kOk, int64_t{-32768}},
      {V::Number("2147483648"), Col(DataType::kLong), S::kOverflow, {}},
      {V::Text(" 42 "), Col(DataType::kLong), S::kOk, int64_t{42}},
      {V::Text("   "), Col(DataType::kLong), S::kOk, {}},
      {V::Text("4 2"), Col(DataType::kLong), S::kMismatch, {}},
      {V::Boolean(true), Col(DataType::kLong), S::kOk, int64_t{-1}},
      {V::Double(1e10), Col(DataType::kLong), S::kOverflow, {}},
      {V::Double(nan), Col(DataType::kLong), S::kOverflow, {}},
      {V::Date(44198.75), Col(DataType::kLong), S::kOk, int64_t{44199}},
      {V::Binary({1}), Col(DataType::kLong), S::kMismatch, {}},
      {V::Number("1.23455"), Col(DataType::kCurrency), S::kOk, int64_t{12346}},
      {V::Double(0.1), Col(DataType::kCurrency), S::kOk, int64_t{1000}},
      {V::Number("1E15"), Col(DataType::kCurrency), S::kOverflow, {}},
      {V::Number("123.455"), Col(DataType::kDecimal, 0, 5, 2), S::kOk, std::string("123.46")},
      {V::Number("1234"), Col(DataType::kDecimal, 0, 5, 2), S::kOverflow, {}},
      {V::Number("-0.004"), Col(DataType::kDecimal, 0, 5, 2), S::kOk, std::string("0.00")},
      {V::Text("7"), Col(DataType::kDecimal, 0, 18, 0), S::kOk, std::string("7")},
      {V::Number("0.1"), Col(DataType::kSingle), S::kOk, static_cast<double>(0.1f)},
      {V::Number("3.5E38"), Col(DataType::kSingle), S::kOverflow, {}},
      {V::Double(1e39), Col(DataType::kSingle), S::kOverflow, {}},
      {V::Number("1E-50"), Col(DataType::kSingle), S::kOk, 0.0},
      {V::Number("1E999"), Col(DataType::kDouble), S::kOverflow, {}},
      {V::Number("0.1"), Col(DataType::kDouble), S::kOk, 0.1},
      {V::Number("44198.5"), Col(DataType::kDateTime), S::kOk, 44198.5},
      {V::Number("3000000"), Col(DataType::kDateTime), S::kOverflow, {}},
      {V::Text("2021-01-02 12:00:00"), Col(DataType::kDateTime), S::kOk, 44198.5},
      {V::Text("someday"), Col(DataType::kDateTime), S::kMismatch, {}},
      {V::Date(1e9), Col(DataType::kDateTime), S::kOk, 1e9},  // a stored date as it stands
      {V::Number("12.50"), Col(DataType::kText, 4), S::kOk, std::string("12.5")},
      {V::Double(1.0 / 3), Col(DataType::kText, 20), S::kOk, std::string("0.333333333333333")},
      {V::Double(0.1f, true), Col(DataType::kText, 20), S::kOk, std::string("0.1")},
      {V::Double(1e20), Col(DataType::kText, 20), S::kOk, std::string("1E+20")},
      {V::Boolean(false), Col(DataType::kText, 5), S::kOk, std::string("False")},
      {V::Date(44198.5), Col(DataType::kText, 19), S::kOk, std::string("2021-01-02 12:00:00")},
      {V::Text("abcd"), Col(DataType::kText, 3), S::kTooLong, {}},
      {V::Text("ab\xF0\x9F\x98\x80"), Col(DataType::kText, 3), S::kTooLong, {}},
      {V::Text("жжж"), Col(DataType::kText, 3), S::kOk, std::string("жжж")},
      {V::Text("   "), Col(DataType::kText, 3), S::kOk, std::string("   ")},
      {V::Binary({1}), Col(DataType::kMemo), S::kMismatch, {}},
      {V::Text("6f9619ff-8b86-d011-b42d-00c04fc964ff"), Col(DataType::kGuid), S::kOk,
       std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")},
      {V::Text("{6f9619ff-8b86-d011-b42d-00c04fc964f}"), Col(DataType::kGuid), S::kMismatch, {}},
      {V::Number("1"), Col(DataType::kGuid), S::kMismatch, {}},
      {V::Binary({1, 2, 3}), Col(DataType::kBinary, 2), S::kTooLong, {}},
      {V::Binary({1, 2}), Col(DataType::kBinary, 2), S::kOk, Bytes{{1, 2}}},
      {V::Text("x"), Col(DataType::kLongBinary), S::kMismatch, {}},
      {V::Text("yes"), Col(DataType::kBit), S::kOk, true},
      {V::Text("Off"), Col(DataType::kBit), S::kOk, false},
      {V::Text("0"), Col(DataType::kBit), S::kOk, false},
      {V::Number("0.0"), Col(DataType::kBit), S::kOk, false},
      {V::Number("-2"), Col(DataType::kBit), S::kOk, true},
      {V::Null(), Col(DataType::kBit), S::kOk, false},  // never Null
      {V::Text("maybe"), Col(DataType::kBit), S::kMismatch, {}},
      {V::Null(), Col(DataType::kLong), S::kOk, {}},
  };
  int i = 0;
  for (const Case& c : cases) {
    Cell out;
    const ConvertStatus status = ConvertValue(c.value, c.column, out);
    EXPECT_EQ(static_cast<int>(status), static_cast<int>(c.status)) << "case " << i;
    if (status == S::kOk) {
      EXPECT_EQ(out, c.expected) << "case " << i;
    }
    ++i;
  }
}

TEST(SqlValueTest, StoredCellsBecomeValuesOfTheirType) {
  EXPECT_EQ(ValueFromCell(int64_t{12346}, DataType::kCurrency).text, "1.2346");
  EXPECT_EQ(ValueFromCell(std::string("12.50"), DataType::kDecimal).kind, SqlValue::Kind::kNumber);
  EXPECT_TRUE(ValueFromCell(0.5, DataType::kSingle).single);
  EXPECT_EQ(ValueFromCell(0.5, DataType::kDateTime).kind, SqlValue::Kind::kDate);
  EXPECT_EQ(ValueFromCell(std::monostate(), DataType::kText).kind, SqlValue::Kind::kNull);
}

SqlValue Eval(std::string_view text, EvalContext context = {}) {
  sql::Expr e;
  EXPECT_TRUE(sql::ParseExpressionText(text, e)) << text;
  return Evaluate(e, context);
}

TEST(ExpressionEvalTest, EvaluatesWhatValuesAndDefaultsHold) {
  EXPECT_EQ(Eval("-12.50").text, "-12.50");  // numbers stay exact
  EXPECT_EQ(Eval("-(-3)").text, "3");
  EXPECT_EQ(Eval("'a' & Null & 1.5 & True").text, "a1.5True");
  EXPECT_EQ(Eval("Null & Null").kind, SqlValue::Kind::kNull);
  EXPECT_EQ(Eval("'a' + 'b'").text, "ab");
  EXPECT_EQ(Eval("(1 + 2) * 3").number, 9.0);
  EXPECT_EQ(Eval("1 + Null").kind, SqlValue::Kind::kNull);
  const SqlValue later = Eval("#2021-01-02# + 1.5");
  EXPECT_EQ(later.kind, SqlValue::Kind::kDate);
  EXPECT_EQ(later.number, 44199.5);
  EXPECT_EQ(Eval("CDate('2021-01-02')").number, 44198.0);
  EXPECT_EQ(Eval("CDate(-1.25)").number, -1.25);
  EXPECT_EQ(Eval("Chr(13) & ChrW(1046)").text, "\rЖ");
  EXPECT_EQ(Eval("0x00ff").bytes, (std::vector<uint8_t>{0, 255}));
  EXPECT_EQ(Eval("Now()").kind, SqlValue::Kind::kDate);
  EXPECT_EQ(Eval("Date()").number, std::trunc(Eval("Date()").number));

  EvalContext script;
  script.script = true;
  EXPECT_TRUE(std::isnan(Eval("DoubleBits('7FF8000000000000')", script).number));
  EXPECT_EQ(std::bit_cast<uint64_t>(Eval("DoubleBits('8000000000000000')", script).number),
            0x8000000000000000u);
  EXPECT_TRUE(Eval("SingleBits('7F800000')", script).single);

  // What cannot be evaluated is refused with Jet's text for where it stands.
  EvalContext in_default;
  in_default.table = "T";
  in_default.field = "f";
  EXPECT_EQ(CatchJetError([] { Eval("DoubleBits('7FF8000000000000')"); }).number, 3085);
  EXPECT_EQ(CatchJetError([&] { Eval("Foo()", in_default); }).text,
            "Unknown function 'Foo' in validation expression or default value on 'T.f'.");
  EXPECT_EQ(CatchJetError([] { Eval("[Other]"); }).number, 3061);
  EXPECT_EQ(CatchJetError([&] { Eval("[Other]", in_default); }).text,
            "The Microsoft Jet database engine does not recognize either the field 'Other' in "
            "a validation expression, or the default value in the table 'T'.");
  EXPECT_EQ(CatchJetError([] { Eval("1 / 0"); }).text, "Division by zero");
  EXPECT_EQ(CatchJetError([] { Eval("1 < 2"); }).number, 3071);
  EXPECT_EQ(CatchJetError([] { Eval("'a' * 2"); }).number, 3464);
  EXPECT_EQ(CatchJetError([] { Eval("#2021-02-30#"); }).number, 3134);
  EXPECT_EQ(CatchJetError([] { Eval("0xABC"); }).number, 3134);
}

}  // namespace
}  // namespace dbaccess
