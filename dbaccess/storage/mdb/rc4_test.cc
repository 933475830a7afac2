#include "dbaccess/storage/mdb/rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbaccess::mdb {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// The published "Key"/"Plaintext" vector, undone by applying it again; a key longer than 256
// bytes (only its first 256 reach the key schedule); an empty key changes nothing.
TEST(Rc4Test, MatchesPublishedVectorAndUndoesItself) {
  const std::string key = "Key";
  const std::string text = "Plaintext";
  std::vector<uint8_t> data(text.begin(), text.end());
  Rc4Apply({reinterpret_cast<const uint8_t*>(key.data()), key.size()}, data);
  EXPECT_EQ(Hex(data), "bbf316e8d940af0ad3");
  Rc4Apply({reinterpret_cast<const uint8_t*>(key.data()), key.size()}, data);
  EXPECT_EQ(std::string(data.begin(), data.end()), text);

  std::vector<uint8_t> long_key(300);
  for (size_t i = 0; i < long_key.size(); ++i) long_key[i] = static_cast<uint8_t>(i * 7 + 3);
  std::vector<uint8_t> zeros(16, 0);
  Rc4Apply(long_key, zeros);
  EXPECT_EQ(Hex(zeros), "61f388f9b9d4ce6a0c58c9197e721247");

  std::vector<uint8_t> untouched = {1, 2, 3};
  Rc4Apply({}, untouched);
  EXPECT_EQ(untouched, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace dbaccess::mdb
