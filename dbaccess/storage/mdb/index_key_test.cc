#include "dbaccess/storage/mdb/index_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "dbaccess/storage/mdb/format.h"

namespace dbaccess::mdb {
namespace {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes Stored(T value) {
  Bytes out(sizeof value);
  std::memcpy(out.data(), &value, sizeof value);  // little-endian, as rows store them
  return out;
}

Bytes Key(uint8_t type, const Bytes& stored, bool ascending) {
  Bytes out;
  AppendStoredValueKey(type, ByteView(stored), ascending, out);
  return out;
}

// Keys in byte order must give the values in value order (or the reverse, descending).
template <typename T>
void ExpectOrderKept(uint8_t type, std::vector<T> values) {
  std::sort(values.begin(), values.end());
  for (bool ascending : {true, false}) {
    for (size_t i = 1; i < values.size(); ++i) {
      const Bytes a = Key(type, Stored(values[i - 1]), ascending);
      const Bytes b = Key(type, Stored(values[i]), ascending);
      if (values[i - 1] == values[i]) {
        EXPECT_EQ(a, b);
      } else if (ascending) {
        EXPECT_LT(a, b) << +values[i - 1] << " < " << +values[i];
      } else {
        EXPECT_GT(a, b) << +values[i - 1] << " > " << +values[i];
      }
    }
  }
}

TEST(IndexKey, NumbersAndDatesSortAsTheirValues) {
  std::mt19937_64 random(13);
  std::vector<uint8_t> bytes = {0, 1, 127, 128, 255};
  std::vector<int16_t> shorts = {INT16_MIN, -1, 0, 1, INT16_MAX};
  std::vector<int32_t> longs = {INT32_MIN, -70000, -1, 0, 1, 70000, INT32_MAX};
  std::vector<int64_t> money = {INT64_MIN, -10000, 0, 10000, INT64_MAX};
  std::vector<float> floats = {-1e30f, -2.5f, 0.0f, 1e-30f, 2.5f, 1e30f};
  std::vector<double> doubles = {-1e300, -36526.5, -1.0, 0.0, 0.25, 36526.5, 1e300};
  for (int i = 0; i < 200; ++i) {
    bytes.push_back(static_cast<uint8_t>(random()));
    shorts.push_back(static_cast<int16_t>(random()));
    longs.push_back(static_cast<int32_t>(random()));
    money.push_back(static_cast<int64_t>(random()));
    floats.push_back(std::uniform_real_distribution<float>(-1e6f, 1e6f)(random));
    doubles.push_back(std::uniform_real_distribution<double>(-1e9, 1e9)(random));
  }
  ExpectOrderKept(kTypeByte, bytes);
  ExpectOrderKept(kTypeInt, shorts);
  ExpectOrderKept(kTypeLong, longs);
  ExpectOrderKept(kTypeMoney, money);
  ExpectOrderKept(kTypeFloat, floats);
  ExpectOrderKept(kTypeDouble, doubles);
  ExpectOrderKept(kTypeDateTime, doubles);
}

TEST(IndexKey, KnownBytes) {
  EXPECT_EQ(Key(kTypeLong, Stored(int32_t{1}), true), (Bytes{0x7F, 0x80, 0x00, 0x00, 0x01}));
  EXPECT_EQ(Key(kTypeLong, Stored(int32_t{1}), false), (Bytes{0x80, 0x7F, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(Key(kTypeInt, Stored(int16_t{-2}), true), (Bytes{0x7F, 0x7F, 0xFE}));
  EXPECT_EQ(Key(kTypeByte, Bytes{0x05}, false), (Bytes{0x80, 0xFA}));
  EXPECT_EQ(Key(kTypeDouble, Stored(1.0), true), (Bytes{0x7F, 0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Key(kTypeDouble, Stored(-1.0), true),
            (Bytes{0x7F, 0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

  Bytes out;
  AppendNullKey(true, out);
  AppendNullKey(false, out);
  AppendBooleanKey(true, true, out);
  AppendBooleanKey(false, true, out);
  AppendBooleanKey(true, false, out);
  EXPECT_EQ(out, (Bytes{0x00, 0xFF, 0x7F, 0x00, 0x7F, 0xFF, 0x80, 0xFF}));
}

TEST(IndexKey, BinaryAndGuidGoInGroupsOfEight) {
  const Bytes nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(Key(kTypeBinary, nine, true),
            (Bytes{0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 0, 0, 0, 0, 0, 0, 0, 1}));
  // Descending inverts everything but the 09 of a group that more data follows.
  EXPECT_EQ(Key(kTypeBinary, nine, false),
            (Bytes{0x80, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8, 0xF7, 9, 0xF6, 0xFF, 0xFF, 0xFF,
                   0xFF, 0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(Key(kTypeBinary, Bytes{}, true), Bytes{0x7F});
  // A GUID is keyed in its text order: {00112233-4455-6677-8899-AABBCCDDEEFF}.
  const Bytes guid = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                      0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  EXPECT_EQ(Key(kTypeGuid, guid, true),
            (Bytes{0x7F, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 9, 0x88, 0x99, 0xAA, 0xBB,
                   0xCC, 0xDD, 0xEE, 0xFF, 8}));
}

Bytes StoredDecimal(bool negative, uint64_t magnitude) {
  Bytes out(kDecimalSize, 0);
  out[0] = negative ? 0x80 : 0x00;
  // Four little-endian 32-bit words, most significant first.
  const uint32_t words[4] = {0, 0, static_cast<uint32_t>(magnitude >> 32),
                             static_cast<uint32_t>(magnitude)};
  for (int w = 0; w < 4; ++w) std::memcpy(&out[1 + 4 * w], &words[w], 4);
  return out;
}

TEST(IndexKey, DecimalsKeepJet4sLegacyOrder) {
  const Bytes one = Key(kTypeNumeric, StoredDecimal(false, 1), true);
  EXPECT_EQ(one.size(), 1 + kDecimalSize);
  EXPECT_EQ(one[1], 0xFF);
  EXPECT_EQ(one.back(), 0x01);
  // Ascending: negatives before positives, larger magnitudes of negatives first.
  EXPECT_LT(Key(kTypeNumeric, StoredDecimal(true, 5), true),
            Key(kTypeNumeric, StoredDecimal(true, 1), true));
  EXPECT_LT(Key(kTypeNumeric, StoredDecimal(true, 1), true),
            Key(kTypeNumeric, StoredDecimal(false, 0), true));
  EXPECT_LT(Key(kTypeNumeric, StoredDecimal(false, 1), true),
            Key(kTypeNumeric, StoredDecimal(false, 1ull << 40), true));
  EXPECT_THROW(Key(kTypeNumeric, Bytes(16, 0), true), FormatError);
  EXPECT_THROW(Key(kTypeOle, Bytes(4, 0), true), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
