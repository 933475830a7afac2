#include "engine/name_match.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

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

TEST(NameMatchTest, HashesAgreeWithTheRule) {
  EXPECT_EQ(MatchHash("ORDERS"), MatchHash("orders"));
  EXPECT_EQ(MatchHash("Заказы Q"), MatchHash("Заказы q"));
  // Not required by the rule, but a hash that told these apart by chance only would make
  // every look-up of Cyrillic names slow.
  EXPECT_NE(MatchHash("ЗАКАЗЫ"), MatchHash("заказы"));
  EXPECT_NE(MatchHash("ab", MatchHash("c")), MatchHash("a", MatchHash("bc")));
}

TEST(NameMatchTest, IndexFindsTheFirstMatchingEntry) {
  MatchIndex<2> index;
  const std::vector<std::array<std::string, 2>> entries = {
      {"Orders", "ID"}, {"ORDERS", "id"}, {"Заказы", "Код"}, {"ab", "c"}, {"", "x"}};
  for (size_t i = 0; i < entries.size(); ++i) index.Add({entries[i][0], entries[i][1]}, i);
  EXPECT_EQ(index.Find({"orders", "Id"}), 0u);
  EXPECT_EQ(index.Find({"Заказы", "Код"}), 2u);
  EXPECT_EQ(index.Find({"ЗАКАЗЫ", "Код"}), MatchIndex<2>::kNotFound);
  EXPECT_EQ(index.Find({"Заказы", "код"}), MatchIndex<2>::kNotFound);
  // The texts are matched part by part, never run together.
  EXPECT_FALSE(index.Contains({"a", "bc"}));
  EXPECT_FALSE(index.Contains({"x", ""}));
  EXPECT_TRUE(index.Contains({"", "X"}));
  index.Clear();
  EXPECT_FALSE(index.Contains({"Orders", "ID"}));
}

}  // namespace
}  // namespace uAlg
