#include "dbaccess/catalog/jet_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The order compares the folded forms byte by byte without building them: it must agree
// with comparing the strings FoldName builds, whatever the alphabets, invalid bytes and
// prefixes of the two names.
TEST(JetNamesTest, OrderAgreesWithTheFoldedStringsCompared) {
  const std::vector<std::string> names = {"",       "a",        "A",
                                          "ab",     "aB",       "Ab",
                                          "abc",    "b",        "Z",
                                          "_",      "~",        "a b",
                                          "Заказы", "ЗАКАЗЫ",   "заказ",
                                          "Ёлка",   "ёлка",     "Ђ",
                                          "ђ",      "ΑΒΓ",      "αβγ",
                                          "Äpfel",  "äpfel",    "Ÿ",
                                          "ÿ",      "Ž",        "ž",
                                          "\xC0",   "A\xC0",    "a\xC0z",
                                          "\xFF",   "\xE2\x82", "\xE2\x82\xAC",
                                          "€",      "a\xD0",    "a\xD0\x90"};
  for (const std::string& a : names) {
    for (const std::string& b : names) {
      const std::string fa = FoldName(a), fb = FoldName(b);
      const bool expected = fa != fb ? fa < fb : a < b;
      EXPECT_EQ(NameLess(a, b), expected) << "'" << a << "' against '" << b << "'";
    }
  }
}

}  // namespace
}  // namespace dbaccess
