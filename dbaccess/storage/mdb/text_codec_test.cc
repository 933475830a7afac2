#include "dbaccess/storage/mdb/text_codec.h"

#include <gtest/gtest.h>

namespace dbaccess::mdb {
namespace {

ByteView View(const std::vector<uint8_t>& v) { return ByteView(v); }

TEST(TextCodecTest, DecodesUtf16WithSurrogatesAndReplacesBrokenOnes) {
  // "Ж€𝄞": U+0416, U+20AC, U+1D11E (a surrogate pair).
  const std::vector<uint8_t> text = {0x16, 0x04, 0xAC, 0x20, 0x34, 0xD8, 0x1E, 0xDD};
  EXPECT_EQ(DecodeUtf16Le(View(text)), "Ж€𝄞");
  const std::vector<uint8_t> lone_high = {0x34, 0xD8, 0x41, 0x00};
  EXPECT_EQ(DecodeUtf16Le(View(lone_high)),
            "\xEF\xBF\xBD"
            "A");
  const std::vector<uint8_t> lone_low = {0x80, 0xDC};
  EXPECT_EQ(DecodeUtf16Le(View(lone_low)), "\xEF\xBF\xBD");
  const std::vector<uint8_t> odd = {0x41, 0x00, 0x42};
  EXPECT_EQ(DecodeUtf16Le(View(odd)), "A");
}

TEST(TextCodecTest, DecodesTheCompressedFormSwitchingModesAtZeroBytes) {
  EXPECT_EQ(DecodeJet4Text(View(EncodeCompressedText(u"ääkkösiä"))), "ääkkösiä");
  // "ab", then two-byte mode for "Мир", then back to one byte for "!".
  const std::vector<uint8_t> mixed = {0xFF, 0xFE, 'a',  'b',  0x00, 0x1C, 0x04,
                                      0x38, 0x04, 0x40, 0x04, 0x00, '!'};
  EXPECT_EQ(DecodeJet4Text(View(mixed)), "abМир!");
  // Uncompressed text that happens to start with other bytes stays UTF-16.
  const std::vector<uint8_t> plain = {'h', 0, 'i', 0};
  EXPECT_EQ(DecodeJet4Text(View(plain)), "hi");
  // A half character at the end of two-byte mode is dropped, not read past.
  const std::vector<uint8_t> cut = {0xFF, 0xFE, 'x', 0x00, 0x41};
  EXPECT_EQ(DecodeJet4Text(View(cut)), "x");
  EXPECT_EQ(DecodeJet4Text(View({})), "");
}

TEST(TextCodecTest, DecodesJet3TextInTheDatabaseCodePage) {
  const TextDecoder cyrillic(JetVersion::kJet3, 1251);
  EXPECT_EQ(cyrillic.Decode(View({0xC7, 0xE0, 0xEA, 0xE0, 0xE7, 0xFB})), "Заказы");
  const TextDecoder western(JetVersion::kJet3, 1252);
  EXPECT_EQ(western.Decode(View({0x80, 'a', 0xE4})), "€aä");
  EXPECT_EQ(western.Decode(View({0x81})), "\xEF\xBF\xBD");  // unmapped in Windows-1252
  const TextDecoder unknown(JetVersion::kJet3, 4242);
  EXPECT_EQ(unknown.code_page(), kDefaultCodePage);
  EXPECT_EQ(unknown.Decode(View({0xE4})), "ä");
  const TextDecoder jet4(JetVersion::kJet4, 1251);
  EXPECT_EQ(jet4.DecodeName(View({0x1C, 0x04})), "М");
}

TEST(TextCodecTest, Utf8ToUtf16RoundTrips) {
  EXPECT_EQ(Utf8ToUtf16("aЖ𝄞"), u"aЖ𝄞");
  EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\xFFFD");
}

}  // namespace
}  // namespace dbaccess::mdb
