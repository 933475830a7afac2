#include "actions/cp1251.h"

#include <iconv.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace actions::cp1251 {
namespace {

// glibc's own converter, as an independent reference. Empty when it refuses the byte.
std::string IconvToUtf8(unsigned char byte) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* in_ptr = in;
  char* out_ptr = out;
  size_t in_left = 1;
  size_t out_left = sizeof out;
  const size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return {};
  return std::string(out, sizeof out - out_left);
}

std::string NoUnmappable(std::string_view text) {
  return Encode(text, [](char32_t c, std::string&) {
    ADD_FAILURE() << "unexpected unmappable U+" << std::hex << static_cast<uint32_t>(c);
  });
}

TEST(Cp1251Test, EveryByteDecodesAsGlibcSaysAndEncodesBack) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const std::string one(1, static_cast<char>(byte));
    const std::string utf8 = Decode(one);
    if (byte != 0x98) {  // the one byte glibc leaves unassigned
      EXPECT_EQ(utf8, IconvToUtf8(byte)) << "byte " << b;
    } else {
      EXPECT_EQ(utf8, "\xC2\x98");
    }
    EXPECT_EQ(NoUnmappable(utf8), one) << "byte " << b;
  }
}

TEST(Cp1251Test, RussianTextBothWays) {
  const std::string utf8 = "Съешь же ещё этих мягких французских булок, ЁЖ № 5 — «да»";
  const std::string bytes = NoUnmappable(utf8);
  EXPECT_EQ(bytes.size(), 57u);                           // one byte per character
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xD1);  // С
  EXPECT_EQ(Decode(bytes), utf8);
}

TEST(Cp1251Test, CharactersWithoutByteGoToTheHandlerInOrder) {
  std::vector<char32_t> seen;
  const std::string bytes = Encode("aΩ中😀b\xFF", [&](char32_t c, std::string& out) {
    seen.push_back(c);
    out += '#';
  });
  EXPECT_EQ(bytes, "a###b#");
  // Greek, Chinese, an emoji beyond the BMP, and an invalid UTF-8 byte.
  EXPECT_EQ(seen, (std::vector<char32_t>{0x3A9, 0x4E2D, 0x1F600, 0xDCFF}));
  EXPECT_FALSE(EncodeChar(0xE9));       // é: Latin-1, not in this code page
  EXPECT_EQ(EncodeChar(0x2116), 0xB9);  // №
}

}  // namespace
}  // namespace actions::cp1251
