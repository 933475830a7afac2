#include "dbaccess/catalog/jet_names.h"

#include <gtest/gtest.h>

#include "dbaccess/base/utf8.h"

namespace dbaccess {
namespace {

TEST(JetNamesTest, FoldsLatinCyrillicAndGreekLetters) {
  EXPECT_TRUE(SameName("Orders", "ORDERS"));
  EXPECT_TRUE(SameName("Заказы", "ЗАКАЗЫ"));
  EXPECT_TRUE(SameName("Ёлка", "ёЛКА"));
  EXPECT_TRUE(SameName("ΑΒΓ", "αβγ"));
  EXPECT_TRUE(SameName("Äpfel", "äPFEL"));
  EXPECT_FALSE(SameName("Заказы", "Заказ"));
  EXPECT_FALSE(SameName("a", "b"));
  EXPECT_EQ(FoldName("Заказы Order"), "заказы order");
}

TEST(JetNamesTest, KeepsInvalidUtf8BytesAsTheyAre) {
  const std::string bad = "A\xC0\xFFz\xE2\x82";
  EXPECT_EQ(FoldName(bad), "a\xC0\xFFz\xE2\x82");
  EXPECT_TRUE(SameName(bad, "a\xC0\xFFZ\xE2\x82"));
  std::string round;
  for (size_t i = 0; i < bad.size();) AppendUtf8(round, NextCodePoint(bad, i));
  EXPECT_EQ(round, bad);
}

TEST(JetNamesTest, OrdersByFoldedNameThenBytes) {
  EXPECT_TRUE(NameLess("apple", "Banana"));
  EXPECT_TRUE(NameLess("Banana", "banana"));
  EXPECT_FALSE(NameLess("banana", "Banana"));
}

}  // namespace
}  // namespace dbaccess
