#include "actions/cp1251.h"

#include <algorithm>
#include <array>
#include <utility>

#include "dbaccess/base/utf8.h"

namespace actions::cp1251 {
namespace {

// The characters of the bytes 0x80..0xBF; from 0xC0 on the code page holds the Cyrillic
// capitals and small letters U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};
constexpr unsigned char kFirstLetterByte = 0xC0;
constexpr char32_t kFirstLetter = 0x0410;
constexpr char32_t kLastLetter = 0x044F;

// kHighHalf inverted: (character, byte) sorted by character.
using ReversePair = std::pair<char16_t, unsigned char>;
const std::array<ReversePair, 64>& ReverseTable() {
  static const std::array<ReversePair, 64> table = [] {
    std::array<ReversePair, 64> t{};
    for (size_t i = 0; i < kHighHalf.size(); ++i) {
      t[i] = {kHighHalf[i], static_cast<unsigned char>(0x80 + i)};
    }
    std::sort(t.begin(), t.end());
    return t;
  }();
  return table;
}

}  // namespace

char32_t DecodeByte(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= kFirstLetterByte) return kFirstLetter + (byte - kFirstLetterByte);
  return kHighHalf[byte - 0x80];
}

std::optional<unsigned char> EncodeChar(char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  if (c >= kFirstLetter && c <= kLastLetter) {
    return static_cast<unsigned char>(kFirstLetterByte + (c - kFirstLetter));
  }
  if (c > 0xFFFF) return std::nullopt;
  const auto& table = ReverseTable();
  const auto key = static_cast<char16_t>(c);
  auto it = std::lower_bound(table.begin(), table.end(), key,
                             [](const ReversePair& p, char16_t k) { return p.first < k; });
  if (it != table.end() && it->first == key) return it->second;
  return std::nullopt;
}

std::string Decode(std::string_view bytes) {
  // The UTF-8 form of every byte, at most three bytes long.
  struct Sequence {
    unsigned char size;
    char bytes[3];
  };
  static const std::array<Sequence, 256> sequences = [] {
    std::array<Sequence, 256> table{};
    for (int b = 0; b < 256; ++b) {
      std::string utf8;
      dbaccess::AppendUtf8(utf8, DecodeByte(static_cast<unsigned char>(b)));
      table[b].size = static_cast<unsigned char>(utf8.size());
      std::copy(utf8.begin(), utf8.end(), table[b].bytes);
    }
    return table;
  }();
  constexpr size_t kLongestSequence = 3;
  std::string out(bytes.size() * kLongestSequence, '\0');
  char* next = out.data();
  for (char b : bytes) {
    const Sequence& sequence = sequences[static_cast<unsigned char>(b)];
    for (size_t k = 0; k < kLongestSequence; ++k) next[k] = sequence.bytes[k];
    next += sequence.size;
  }
  out.resize(static_cast<size_t>(next - out.data()));
  return out;
}

std::string Encode(std::string_view utf8, const UnmappableHandler& unmappable) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t c = dbaccess::NextCodePoint(utf8, i);
    if (auto byte = EncodeChar(c)) {
      out += static_cast<char>(*byte);
    } else {
      unmappable(c, out);
    }
  }
  return out;
}

}  // namespace actions::cp1251
