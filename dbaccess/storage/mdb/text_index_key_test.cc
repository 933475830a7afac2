#include "dbaccess/storage/mdb/text_index_key.h"

#include <gtest/gtest.h>

#include <string>

#include "dbaccess/storage/mdb/general_legacy_codes.h"

namespace dbaccess::mdb {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Key(std::u16string_view text, bool ascending = true) {
  Bytes out;
  AppendGeneralLegacyTextKey(text, ascending, out);
  return out;
}

Bytes Inline(char16_t c) { return general_legacy::CodesOf(c).inline_bytes; }

TEST(TextIndexKey, PlainTextIsItsInlineCodesAndTwoEndBytes) {
  Bytes expected;
  for (char16_t c : std::u16string(u"Ab1")) {
    const Bytes code = Inline(c);
    expected.insert(expected.end(), code.begin(), code.end());
  }
  expected.push_back(0x01);
  expected.push_back(0x00);
  EXPECT_EQ(Key(u"Ab1"), expected);
  EXPECT_EQ(Key(u"aB1"), expected);     // letter case does not count
  EXPECT_EQ(Key(u"Ab1   "), expected);  // nor do trailing spaces
  EXPECT_EQ(Key(u""), (Bytes{0x01, 0x00}));
  EXPECT_NE(Key(u" Ab1"), expected);  // leading ones do
}

TEST(TextIndexKey, DescendingInvertsTheAscendingKey) {
  for (std::u16string text : {u"", u"abc", u"\u00E9t\u00E9", u"co-op", u"x\U0001F600"}) {
    Bytes ascending = Key(text);
    ascending.pop_back();  // the final 00
    ascending.push_back(0x00);
    for (uint8_t& b : ascending) b = static_cast<uint8_t>(~b);
    ascending.push_back(0x00);
    EXPECT_EQ(Key(text, false), ascending);
  }
}

TEST(TextIndexKey, AccentsFollowTheTextOnePerCharacter) {
  // "été": the inline codes of "ete", the end byte, then the accent bytes with 02 for the
  // plain "t" in between; no trailing 02.
  const Bytes accent = general_legacy::CodesOf(u'\u00E9').extra_bytes;
  ASSERT_EQ(accent.size(), 1u);
  Bytes expected;
  for (char16_t c : std::u16string(u"ete")) {
    const Bytes code = Inline(c);
    expected.insert(expected.end(), code.begin(), code.end());
  }
  expected.insert(expected.end(), {0x01, accent[0], 0x02, accent[0], 0x00});
  EXPECT_EQ(Key(u"\u00E9t\u00E9"), expected);
  // "ét" and "é" share the accent tail: the 02 of a plain last letter is dropped.
  EXPECT_EQ(Key(u"e\u00E9").size(), Key(u"ee").size() + 2);
}

TEST(TextIndexKey, UnprintablesAreListedWithTheirPositions) {
  // "co-op": the hyphen leaves the inline codes and is recorded after 01 01 01 as its
  // position (7 + 4 * 2, top bit set), 06 and its code.
  const Bytes hyphen = general_legacy::CodesOf(u'-').extra_bytes;
  Bytes expected;
  for (char16_t c : std::u16string(u"coop")) {
    const Bytes code = Inline(c);
    expected.insert(expected.end(), code.begin(), code.end());
  }
  expected.insert(expected.end(), {0x01, 0x01, 0x01, 0x01, 0x80, 0x0F, 0x06});
  expected.insert(expected.end(), hyphen.begin(), hyphen.end());
  expected.push_back(0x00);
  EXPECT_EQ(Key(u"co-op"), expected);
}

TEST(TextIndexKey, OnlyTheFirst255UnitsCount) {
  const std::u16string long_text(300, u'x');
  EXPECT_EQ(Key(long_text), Key(long_text.substr(0, kTextKeyMaxUnits)));
  EXPECT_NE(Key(long_text.substr(0, 254)), Key(long_text.substr(0, 255)));
}

}  // namespace
}  // namespace dbaccess::mdb
