#include "dbaccess/catalog/object_names.h"

#include <gtest/gtest.h>

#include <string>

namespace dbaccess {
namespace {

std::string Repeat(std::string_view piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// The limit counts characters, not bytes: 64 Cyrillic letters (128 bytes) are a name, 65
// ASCII letters are not.
TEST(ObjectNamesTest, ANameHasOneToSixtyFourCharactersWhateverTheirBytes) {
  EXPECT_TRUE(IsValidObjectName("A"));
  EXPECT_TRUE(IsValidObjectName(Repeat("a", 64)));
  EXPECT_FALSE(IsValidObjectName(Repeat("a", 65)));
  EXPECT_TRUE(IsValidObjectName(Repeat("Ж", 64)));
  EXPECT_FALSE(IsValidObjectName(Repeat("Ж", 65)));
  EXPECT_TRUE(IsValidObjectName(Repeat("a", 40) + Repeat("€", 24)));
  EXPECT_FALSE(IsValidObjectName(Repeat("a", 40) + Repeat("€", 25)));
  EXPECT_FALSE(IsValidObjectName(""));
  EXPECT_FALSE(IsValidObjectName(" Orders"));
  for (const char* bad : {"a.b", "a!b", "a`b", "a[b", "a]b", "a\tb", "a\x7F"}) {
    EXPECT_FALSE(IsValidObjectName(bad)) << bad;
  }
  EXPECT_TRUE(IsValidObjectName("Order Details (2024)"));
}

}  // namespace
}  // namespace dbaccess
