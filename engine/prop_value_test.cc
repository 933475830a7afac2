#include "engine/prop_value.h"

#include <gtest/gtest.h>

namespace uAlg {
namespace {

using dbaccess::Variant;

TEST(PropValueTest, SameKindsCompareByValue) {
  EXPECT_TRUE(PropValuesEqual(Variant::Text("Now()"), Variant::Text("Now()")));
  EXPECT_FALSE(PropValuesEqual(Variant::Text("now()"), Variant::Text("Now()")));
  EXPECT_TRUE(PropValuesEqual(Variant::Integer(50), Variant::Integer(50)));
  EXPECT_FALSE(PropValuesEqual(Variant::Integer(50), Variant::Integer(100)));
  EXPECT_TRUE(PropValuesEqual(Variant::Boolean(true), Variant::Boolean(true)));
  EXPECT_FALSE(PropValuesEqual(Variant::Boolean(true), Variant::Boolean(false)));
  EXPECT_TRUE(PropValuesEqual(Variant::Null(), Variant::Null()));
  EXPECT_TRUE(PropValuesEqual(Variant(), Variant()));
}

TEST(PropValueTest, NullEqualsOnlyNull) {
  for (const Variant& other : {Variant(), Variant::Text(""), Variant::Text("0"),
                               Variant::Integer(0), Variant::Boolean(false)}) {
    EXPECT_FALSE(PropValuesEqual(Variant::Null(), other)) << other.DisplayText();
    EXPECT_FALSE(PropValuesEqual(other, Variant::Null())) << other.DisplayText();
  }
}

TEST(PropValueTest, EmptyEqualsTheZeroOfEachKind) {
  EXPECT_TRUE(PropValuesEqual(Variant(), Variant::Text("")));
  EXPECT_TRUE(PropValuesEqual(Variant::Integer(0), Variant()));
  EXPECT_TRUE(PropValuesEqual(Variant(), Variant::Boolean(false)));
  EXPECT_FALSE(PropValuesEqual(Variant(), Variant::Text(" ")));
  EXPECT_FALSE(PropValuesEqual(Variant::Integer(50), Variant()));
  EXPECT_FALSE(PropValuesEqual(Variant(), Variant::Boolean(true)));
}

TEST(PropValueTest, MixedKindsDifferExceptBooleanAgainstItsName) {
  EXPECT_TRUE(PropValuesEqual(Variant::Boolean(true), Variant::Text("True")));
  EXPECT_TRUE(PropValuesEqual(Variant::Text("False"), Variant::Boolean(false)));
  EXPECT_FALSE(PropValuesEqual(Variant::Boolean(true), Variant::Text("False")));
  EXPECT_FALSE(PropValuesEqual(Variant::Boolean(false), Variant::Text("")));
  EXPECT_FALSE(PropValuesEqual(Variant::Boolean(true), Variant::Text("Yes")));
  EXPECT_FALSE(PropValuesEqual(Variant::Integer(50), Variant::Text("50")));
  EXPECT_FALSE(PropValuesEqual(Variant::Integer(1), Variant::Boolean(true)));
  EXPECT_TRUE(PropValuesDiffer(Variant::Integer(0), Variant::Boolean(false)));
}

TEST(PropValueTest, ReadsDecimalIntegersAndTakesAnythingElseAsZero) {
  EXPECT_EQ(PropValueAsInteger(Variant::Integer(50)), 50);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("255")), 255);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("-3")), -3);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("+7")), 7);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("+-7")), 0);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("50x")), 0);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("")), 0);
  EXPECT_EQ(PropValueAsInteger(Variant::Text("99999999999999999999999")), 0);
  EXPECT_EQ(PropValueAsInteger(Variant()), 0);
  EXPECT_EQ(PropValueAsInteger(Variant::Null()), 0);
  EXPECT_EQ(PropValueAsInteger(Variant::Boolean(true)), 0);
}

}  // namespace
}  // namespace uAlg
