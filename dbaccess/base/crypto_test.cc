#include "dbaccess/base/crypto.h"

#include <gtest/gtest.h>

#include <string>

namespace dbaccess {
namespace {

std::string Hex(const unsigned char* bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

// Published test vectors (FIPS 180-2 and RFC 7914's PBKDF2-HMAC-SHA-256 case).
TEST(CryptoTest, DigestsAndDerivedKeysAreTheStandardOnes) {
  const Sha256Digest abc = Sha256("abc");
  EXPECT_EQ(Hex(abc.data(), abc.size()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  // A million 'a's, given in uneven pieces, and the hasher used again after its digest.
  Sha256Hasher hasher;
  hasher.Update("stale", 5);
  hasher.Finish();
  const std::string piece(7777, 'a');
  size_t left = 1'000'000;
  while (left > 0) {
    const size_t n = std::min(left, piece.size());
    hasher.Update(piece.data(), n);
    left -= n;
  }
  const Sha256Digest million = hasher.Finish();
  EXPECT_EQ(Hex(million.data(), million.size()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

  const std::vector<unsigned char> salt = {'s', 'a', 'l', 't'};
  const std::vector<unsigned char> key = Pbkdf2Sha256("password", salt, 4096, 32);
  EXPECT_EQ(Hex(key.data(), key.size()),
            "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
  EXPECT_THROW(Pbkdf2Sha256("password", salt, 0, 32), std::invalid_argument);
}

TEST(CryptoTest, RandomBytesComparisonAndErase) {
  std::vector<unsigned char> a(4096), b(4096);
  RandomBytes(a.data(), a.size());
  RandomBytes(b.data(), b.size());
  EXPECT_NE(a, b);
  EXPECT_NE(a, std::vector<unsigned char>(a.size(), 0));  // every byte filled, not a prefix
  EXPECT_NE(std::vector<unsigned char>(a.end() - 64, a.end()), std::vector<unsigned char>(64, 0));

  std::vector<unsigned char> c = a;
  EXPECT_TRUE(EqualInConstantTime(a.data(), c.data(), a.size()));
  c.back() ^= 1;
  EXPECT_FALSE(EqualInConstantTime(a.data(), c.data(), a.size()));
  EXPECT_TRUE(EqualInConstantTime(a.data(), c.data(), 0));

  SecureErase(c.data(), c.size());
  EXPECT_EQ(c, std::vector<unsigned char>(c.size(), 0));
}

}  // namespace
}  // namespace dbaccess
