#include "dbaccess/storage/mdb/general_legacy_codes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace dbaccess::mdb::general_legacy {
namespace {

std::string CodesDir() { return std::string(SKARNVEL_SHARED_DIR) + "/jet/index-codes"; }

std::vector<uint8_t> HexBytes(std::string text) {
  if (text.size() % 2 != 0) text = "0" + text;
  std::vector<uint8_t> out;
  for (size_t i = 0; i < text.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ',') {
      parts.emplace_back();
    } else {
      parts.back().push_back(c);
    }
  }
  return parts;
}

// The generated table gives, for every code unit, exactly what the measured tables say.
TEST(GeneralLegacyCodes, MatchesTheMeasuredTablesForEveryCharacter) {
  const std::string low = CodesDir() + "/index_codes_genleg.txt";
  const std::string ext = CodesDir() + "/index_codes_ext_genleg.txt";
  if (!std::filesystem::exists(low) || !std::filesystem::exists(ext)) {
    GTEST_SKIP() << "index code tables not found in " << CodesDir();
  }
  std::ifstream low_in(low);
  std::ifstream ext_in(ext);
  int checked = 0;
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string line;
    std::getline(c < 0x100 ? low_in : ext_in, line);
    ASSERT_FALSE(line.empty()) << c;
    const CharCodes codes = CodesOf(static_cast<char16_t>(c));
    ASSERT_EQ(static_cast<char>(codes.kind), line[0]) << "U+" << std::hex << c;
    const std::vector<std::string> groups = Split(line.substr(1));
    switch (line[0]) {
      case 'S':
      case 'G':
        EXPECT_EQ(codes.inline_bytes, HexBytes(groups[0])) << "U+" << std::hex << c;
        EXPECT_TRUE(codes.extra_bytes.empty());
        break;
      case 'I':
        EXPECT_EQ(codes.inline_bytes, HexBytes(groups[0])) << "U+" << std::hex << c;
        EXPECT_EQ(codes.extra_bytes, HexBytes(groups[1])) << "U+" << std::hex << c;
        break;
      case 'U':
      case 'P':
        EXPECT_TRUE(codes.inline_bytes.empty());
        EXPECT_EQ(codes.extra_bytes, HexBytes(groups[0])) << "U+" << std::hex << c;
        break;
      case 'Z':
        ASSERT_EQ(groups.size(), 3u);
        EXPECT_EQ(codes.inline_bytes, HexBytes(groups[0])) << "U+" << std::hex << c;
        EXPECT_EQ(codes.extra_bytes,
                  groups[1].empty() ? std::vector<uint8_t>{} : HexBytes(groups[1]));
        EXPECT_EQ(codes.crazy_flag, groups[2] == "1" ? 2 : 3) << "U+" << std::hex << c;
        break;
      default:
        EXPECT_TRUE(codes.inline_bytes.empty());
        EXPECT_TRUE(codes.extra_bytes.empty());
    }
    ++checked;
  }
  EXPECT_EQ(checked, 0x10000 - 0x800);
}

TEST(GeneralLegacyCodes, LettersIgnoreCaseAndAccentsGoToTheTail) {
  EXPECT_EQ(CodesOf(u'A').inline_bytes, CodesOf(u'a').inline_bytes);
  const CharCodes e_acute = CodesOf(u'\u00E9');
  EXPECT_EQ(e_acute.kind, CharClass::kInternational);
  EXPECT_EQ(e_acute.inline_bytes, CodesOf(u'e').inline_bytes);
  EXPECT_FALSE(e_acute.extra_bytes.empty());
  EXPECT_EQ(CodesOf(u'-').kind, CharClass::kUnprintable);
}

TEST(GeneralLegacyCodes, SurrogatesAreComputedAndSortAfterTheTable) {
  const CharCodes high = CodesOf(0xD800);
  EXPECT_EQ(high.kind, CharClass::kSurrogate);
  EXPECT_EQ(high.inline_bytes, (std::vector<uint8_t>{0xB0, 0x02}));  // 0xD800 - 10238
  EXPECT_EQ(high.extra_bytes, std::vector<uint8_t>{0x3F});
  // Low surrogates: a distance that shrinks by two after the first 8 units of a block.
  EXPECT_EQ(CodesOf(0xDC00).inline_bytes, (std::vector<uint8_t>{0xB4, 0xF8}));  // -9992
  EXPECT_EQ(CodesOf(0xDC08).inline_bytes, (std::vector<uint8_t>{0xB5, 0x02}));  // -9990
  EXPECT_EQ(CodesOf(0xDFFF).inline_bytes, (std::vector<uint8_t>{0xB8, 0xFF}));  // -9984
}

}  // namespace
}  // namespace dbaccess::mdb::general_legacy
