#include "engine/name_match.h"

#include <gtest/gtest.h>

namespace uAlg {
namespace {

TEST(NameMatchTest, FoldsOnlyLatinLetters) {
  EXPECT_TRUE(NamesMatch("Orders", "ORDERS"));
  EXPECT_TRUE(NamesMatch("order details", "Order Details"));
  EXPECT_TRUE(NamesMatch("", ""));
  EXPECT_FALSE(NamesMatch("Заказы", "ЗАКАЗЫ"));
  EXPECT_FALSE(NamesMatch("Ёлка", "ёлка"));
  EXPECT_FALSE(NamesMatch("Äpfel", "äpfel"));
  EXPECT_TRUE(NamesMatch("Заказы Q", "Заказы q"));
  EXPECT_FALSE(NamesMatch("Orders", "Orders "));
  EXPECT_FALSE(NamesMatch("Order_1", "Order-1"));
  // Bytes next to the Latin range ("@", "[", "`", "{") are not letters.
  EXPECT_FALSE(NamesMatch("@[", "`{"));
}

TEST(NameMatchTest, KeysAgreeWithTheRule) {
  EXPECT_EQ(MatchKey("ORDERS"), MatchKey("orders"));
  EXPECT_NE(MatchKey("ЗАКАЗЫ"), MatchKey("заказы"));
  EXPECT_EQ(MatchKey("Заказы"), "Заказы");
  EXPECT_EQ(MatchKey({"Orders", "ID"}), MatchKey({"ORDERS", "id"}));
  // Parts never run into each other, whatever characters the names hold.
  EXPECT_NE(MatchKey({"ab", "c"}), MatchKey({"a", "bc"}));
  EXPECT_NE(MatchKey({"a:1", "b"}), MatchKey({"a", "1:b"}));
  EXPECT_NE(MatchKey({"", "x"}), MatchKey({"x", ""}));
}

}  // namespace
}  // namespace uAlg
